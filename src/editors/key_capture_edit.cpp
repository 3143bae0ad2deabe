#include "editors/key_capture_edit.h"

#include <QMouseEvent>

namespace zt640 {

KeyCaptureEdit::KeyCaptureEdit(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void KeyCaptureEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && isEnabled()) SendControlNotify(this, QStringLiteral("click"));
}

}  // namespace zt640
