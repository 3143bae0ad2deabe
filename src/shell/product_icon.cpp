#include "shell/product_icon.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace zt640 {

namespace {

/// The sizes the icon offers to those that pick from a list (window managers, the tray).
constexpr std::array<int, 6> kOfferedSizes = {16, 24, 32, 48, 64, 128};

/// Draws the mark into the largest square of `rect`, at its top left.
void PaintMark(QPainter& painter, const QRect& rect) {
  const qreal s = qMin(rect.width(), rect.height());
  painter.save();
  painter.translate(rect.topLeft());
  painter.setRenderHint(QPainter::Antialiasing);
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
  painter.restore();
}

class ProductIconEngine : public QIconEngine {
 public:
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override { PaintMark(*painter, rect); }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const int size : kOfferedSizes) sizes.append(QSize(size, size));
    return sizes;
  }

  QIconEngine* clone() const override { return new ProductIconEngine(); }
  QString key() const override { return QStringLiteral("zt640-product"); }
};

}  // namespace

QIcon ProductIcon() { return QIcon(new ProductIconEngine()); }

}  // namespace zt640
