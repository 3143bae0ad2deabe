#include "shell/device_icon_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zt640 {

namespace {
bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

void DrawGlyph(QPainter& p, const std::string& name, const QRectF& box) {
  const std::string file = name.substr(name.rfind('/') + 1);
  if (file.rfind("kb_", 0) == 0) {
    p.drawRoundedRect(box.adjusted(0, box.height() * 0.2, 0, -box.height() * 0.2), 3, 3);
    for (int row = 0; row < 3; ++row) {
      for (int col = 0; col < 6; ++col) {
        p.drawPoint(QPointF(box.left() + box.width() * (col + 1) / 7.0, box.top() + box.height() * (0.35 + row * 0.12)));
      }
    }
  } else if (file.rfind("ms_", 0) == 0) {
    const QRectF body(box.center().x() - box.width() * 0.25, box.top(), box.width() * 0.5, box.height());
    p.drawRoundedRect(body, body.width() / 2, body.width() / 2);
    p.drawLine(QPointF(body.center().x(), body.top()), QPointF(body.center().x(), body.top() + body.height() * 0.35));
  } else if (Contains(file, "_mp_")) {
    p.drawRoundedRect(box.adjusted(0, box.height() * 0.25, 0, -box.height() * 0.25), 5, 5);
  } else if (file.rfind("hd_", 0) == 0) {
    QPainterPath band;
    band.moveTo(box.left(), box.center().y() + 4);
    band.arcTo(box.adjusted(0, 0, 0, box.height() * 0.2), 180, -180);
    p.drawPath(band);
    p.drawRoundedRect(QRectF(box.left(), box.center().y(), box.width() * 0.22, box.height() * 0.4), 2, 2);
    p.drawRoundedRect(QRectF(box.right() - box.width() * 0.22, box.center().y(), box.width() * 0.22, box.height() * 0.4), 2, 2);
  } else if (file.rfind("hub_", 0) == 0) {
    p.drawEllipse(box.center(), box.width() * 0.15, box.width() * 0.15);
    for (int i = 0; i < 3; ++i) p.drawLine(box.center(), QPointF(box.left() + box.width() * i / 2.0, box.bottom()));
  } else {
    p.drawEllipse(box);
    p.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
  }
}
}  // namespace

QIcon DrawDeviceIcon(const std::string& name, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const bool selected = Contains(name, "_selected");
  const QColor colour = selected ? QColor(0x00, 0xc8, 0xff) : QColor(0x9a, 0xa0, 0xa6);
  painter.setPen(QPen(colour, 2));
  painter.setBrush(Qt::NoBrush);
  const double margin = size * 0.18;
  DrawGlyph(painter, name, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
  if (Contains(name, "_synchro")) {
    painter.setPen(QPen(QColor(0xff, 0x8a, 0x00), 2, Qt::DashLine));
    painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
  }
  painter.end();
  return QIcon(pixmap);
}

}  // namespace zt640
