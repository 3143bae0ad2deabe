#pragma once

#include <QObject>
#include <string>

#include "platform/paths/autostart_entry.h"

class QAbstractButton;

namespace zt640::ui {

/// Ties a check box to the user's autostart entry: the box shows whether the entry is
/// there, ticking it writes the entry, unticking removes it. When the file cannot be
/// written or removed the box goes back to what is on disk. Child of the box.
class AutostartOption : public QObject {
  Q_OBJECT
 public:
  AutostartOption(QAbstractButton* box, platform::AutostartEntry entry, std::string program);

  /// Binds the check box named "autostart_check" below `window`, when there is one,
  /// to the default entry for the running program. Null when there is no such box.
  static AutostartOption* BindIn(QObject* window);

  /// Reads the entry's presence into the box again.
  void Refresh();

 private:
  void OnToggled(bool checked);

  QAbstractButton* box_;
  platform::AutostartEntry entry_;
  std::string program_;
};

}  // namespace zt640::ui
