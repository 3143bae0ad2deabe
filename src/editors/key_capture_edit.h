#pragma once

#include <QLineEdit>

#include "ui/notifying_control.h"

namespace zt640 {

/// The read-only field of the key assignment editor that shows the captured
/// key's name. A press on it raises "click" (line edits raise none through the
/// notify hub), which the main window answers by installing the key hook.
class KeyCaptureEdit : public QLineEdit, public ui::NotifyingControl {
  Q_OBJECT
 public:
  explicit KeyCaptureEdit(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace zt640
