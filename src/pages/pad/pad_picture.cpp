#include "pages/pad/pad_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace zt640 {

namespace {

const QColor kSurfaceTop(0x24, 0x27, 0x2F);
const QColor kSurfaceBottom(0x16, 0x18, 0x1D);
const QColor kEdge(0x45, 0x4B, 0x57);

/// The pad's height over its width.
constexpr double kAspect = 0.42;
/// How far inside the outline the lit edge runs, in body units.
constexpr double kInset = 0.03;

void PaintPad(QPainter& painter, const QRectF& body) {
  QLinearGradient shade(body.topLeft(), body.bottomRight());
  shade.setColorAt(0, kSurfaceTop);
  shade.setColorAt(1, kSurfaceBottom);
  painter.setPen(QPen(kEdge, 1.5));
  painter.setBrush(shade);
  const double corner = body.height() * 0.08;
  painter.drawRoundedRect(body, corner, corner);
  // The lit strip along the edge.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kEdge, 1, Qt::DashLine));
  const QRectF strip = body.adjusted(kInset * body.width(), kInset * body.width(), -kInset * body.width(),
                                     -kInset * body.width());
  painter.drawRoundedRect(strip, corner * 0.7, corner * 0.7);
}

}  // namespace

QPointF PadPicture::ZoneSpot(int zone, int count) {
  // Distance along the strip's outline, which has two long and two short sides.
  const double inset_y = kInset / kAspect;
  const double width = 1 - 2 * kInset;
  const double height = 1 - 2 * inset_y;
  // Lengths measured in body widths, so that zones are evenly spaced on screen.
  const double long_side = width;
  const double short_side = height * kAspect;
  const double perimeter = 2 * (long_side + short_side);
  double along = perimeter * (std::clamp(zone, 0, std::max(count - 1, 0)) + 0.5) / std::max(count, 1);
  if (along < long_side) return {kInset + along, inset_y};
  along -= long_side;
  if (along < short_side) return {1 - kInset, inset_y + along / kAspect};
  along -= short_side;
  if (along < long_side) return {1 - kInset - along, 1 - inset_y};
  along -= long_side;
  return {kInset, 1 - inset_y - along / kAspect};
}

PadPicture::PadPicture(CSelectPanelUI* panel, int light_count)
    : ZonePicture(panel, light_count, Shape{kAspect, 0.94, &PadPicture::ZoneSpot, &PaintPad}) {}

}  // namespace zt640
