#include "shell/product_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zt640 {

QIcon ProductIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath cap;
    cap.addRoundedRect(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84), s * 0.2, s * 0.2);
    painter.fillPath(cap, QColor(0x1b, 0x1e, 0x26));
    painter.setPen(QPen(QColor(0x19, 0xd3, 0xff), qMax(1.0, s / 24)));
    painter.drawPath(cap);
    QLinearGradient light(QPointF(s * 0.22, 0), QPointF(s * 0.78, 0));
    light.setColorAt(0.0, QColor(0xff, 0x3b, 0x6b));
    light.setColorAt(0.5, QColor(0x7c, 0x4d, 0xff));
    light.setColorAt(1.0, QColor(0x19, 0xd3, 0xff));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawRoundedRect(QRectF(s * 0.22, s * 0.64, s * 0.56, s * 0.1), s * 0.05, s * 0.05);
    painter.setBrush(QColor(0xe8, 0xec, 0xf4));
    painter.drawRoundedRect(QRectF(s * 0.3, s * 0.28, s * 0.4, s * 0.26), s * 0.06, s * 0.06);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace zt640
