#include "editors/key_capture_edit.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "editors/qt_key_record.h"

namespace zt640 {

KeyCaptureEdit::KeyCaptureEdit(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void KeyCaptureEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && isEnabled()) SendControlNotify(this, QStringLiteral("click"));
}

void KeyCaptureEdit::keyPressEvent(QKeyEvent* event) {
  if (!own_capture_) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat()) return;
  const std::optional<platform::input::KeyHookRecord> record =
      KeyRecordFromQtKey(event->key(), event->modifiers(), event->nativeVirtualKey());
  if (record && record->scan_code <= 0xFF) emit KeyCaptured(static_cast<std::uint8_t>(record->scan_code), record->extended);
}

bool KeyCaptureEdit::focusNextPrevChild(bool next) {
  if (own_capture_) return false;
  return QLineEdit::focusNextPrevChild(next);
}

}  // namespace zt640
