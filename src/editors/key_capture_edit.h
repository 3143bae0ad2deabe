#pragma once

#include <QLineEdit>
#include <cstdint>

#include "ui/notifying_control.h"

namespace zt640 {

/// The read-only field of the key assignment editor that shows the captured
/// key's name. A press on it raises "click" (line edits raise none through the
/// notify hub), which the main window answers by installing the key hook. When no
/// hook watches the keyboard, the field takes the keys typed into it itself
/// (SetOwnCapture) and reports each press as KeyCaptured.
class KeyCaptureEdit : public QLineEdit, public ui::NotifyingControl {
  Q_OBJECT
 public:
  explicit KeyCaptureEdit(QWidget* parent = nullptr);

  void SetOwnCapture(bool on) { own_capture_ = on; }
  [[nodiscard]] bool OwnCapture() const { return own_capture_; }

 signals:
  /// A key of the catalogue was pressed in the field (own capture only).
  void KeyCaptured(std::uint8_t scan_code, bool extended);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  /// Tab and Shift+Tab are keys to capture too, not focus moves, while capturing.
  bool focusNextPrevChild(bool next) override;

 private:
  bool own_capture_ = false;
};

}  // namespace zt640
