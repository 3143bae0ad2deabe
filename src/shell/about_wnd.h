#pragma once

#include <QString>

#include "ui/window_impl_base.h"

namespace zt640 {

/// The about box: the product title, the version this build was made as and the
/// licences of what the program ships with. Modal; "closebtn" closes it.
class CAboutWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 572;

  explicit CAboutWnd(QWidget* owner);

  /// The version compiled into the program.
  [[nodiscard]] static QString VersionText();

  /// Builds the box at `dpi` and fills the version line; false with `error` when the
  /// skin is missing.
  [[nodiscard]] bool Setup(int dpi, QString* error);

  void Notify(const ui::Notification& notification) override;

 private:
  void ShowVersion();
};

}  // namespace zt640
