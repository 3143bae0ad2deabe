#include "pages/headset/headset_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace zt640 {

namespace {

const QColor kShellTop(0x2B, 0x2F, 0x38);
const QColor kShellBottom(0x15, 0x17, 0x1C);
const QColor kSeam(0x45, 0x4B, 0x57);
const QColor kCushion(0x0E, 0x10, 0x14);

/// The cups' centres and radius in body units.
constexpr double kCupY = 0.68;
constexpr double kLeftCupX = 0.2;
constexpr double kRightCupX = 0.8;
constexpr double kCupRadius = 0.18;
constexpr double kRingRadius = 0.13;

void PaintHeadset(QPainter& painter, const QRectF& body) {
  const auto at = [&body](double x, double y) {
    return QPointF(body.left() + x * body.width(), body.top() + y * body.height());
  };
  QLinearGradient shade(body.topLeft(), body.bottomLeft());
  shade.setColorAt(0, kShellTop);
  shade.setColorAt(1, kShellBottom);

  // The headband: a thick arch from cup to cup.
  QPainterPath band(at(kLeftCupX - 0.04, kCupY - 0.1));
  band.cubicTo(at(0.02, 0.0), at(0.98, 0.0), at(kRightCupX + 0.04, kCupY - 0.1));
  band.lineTo(at(kRightCupX - 0.04, kCupY - 0.12));
  band.cubicTo(at(0.88, 0.1), at(0.12, 0.1), at(kLeftCupX + 0.04, kCupY - 0.12));
  band.closeSubpath();
  painter.setPen(QPen(kSeam, 1.5));
  painter.setBrush(shade);
  painter.drawPath(band);

  const double rx = kCupRadius * body.width();
  const double ry = kCupRadius * body.width() * 1.25;
  for (double x : {kLeftCupX, kRightCupX}) {
    const QPointF centre = at(x, kCupY);
    painter.setBrush(shade);
    painter.drawEllipse(centre, rx, ry);
    painter.setBrush(kCushion);
    painter.drawEllipse(centre, rx * 0.45, ry * 0.45);
  }
  // The microphone boom on the left cup.
  painter.setPen(QPen(kSeam, std::max(2.0, body.width() * 0.012), Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(at(kLeftCupX - 0.05, kCupY + 0.12), at(0.32, 0.98));
}

}  // namespace

QPointF HeadsetPicture::ZoneSpot(int zone, int count) {
  if (count <= 0) return {0.5, 0.5};
  const int middle = count / 2;
  // One zone on the headband's top, the others split between the cups.
  if (zone == middle) return {0.5, 0.06};
  const bool left = zone < middle;
  const int per_cup = left ? middle : count - middle - 1;
  const int index = left ? zone : zone - middle - 1;
  const double angle = 2 * std::numbers::pi * (index + 0.5) / std::max(per_cup, 1) - std::numbers::pi / 2;
  const double x = (left ? kLeftCupX : kRightCupX) + kRingRadius * std::cos(angle);
  // The cups are drawn taller than wide: the ring follows.
  const double y = kCupY + kRingRadius * 1.25 * std::sin(angle) * 0.8;
  return {x, y};
}

HeadsetPicture::HeadsetPicture(CSelectPanelUI* panel, int light_count)
    : ZonePicture(panel, light_count, Shape{0.62, 0.92, &HeadsetPicture::ZoneSpot, &PaintHeadset}) {}

}  // namespace zt640
