#include "pages/picture_layout.h"

#include <algorithm>

namespace zt640 {

namespace {
QRectF RectOf(const PictureSpot& spot) { return {spot.x, spot.y, spot.width, spot.height}; }
}  // namespace

QRectF PictureLayout::Fit::ToPanel(const QRectF& units) const {
  return {origin.x() + units.x() * unit, origin.y() + units.y() * unit, units.width() * unit, units.height() * unit};
}

QPointF PictureLayout::Fit::ToPanel(const QPointF& units) const { return origin + units * unit; }

PictureLayout::PictureLayout(std::span<const PictureSpot> spots) : spots_(spots) {
  for (const PictureSpot& spot : spots_) bounds_ = bounds_.isNull() ? RectOf(spot) : bounds_.united(RectOf(spot));
}

const PictureSpot* PictureLayout::Find(int index) const {
  const auto it = std::find_if(spots_.begin(), spots_.end(), [index](const PictureSpot& s) { return s.index == index; });
  return it == spots_.end() ? nullptr : &*it;
}

std::vector<QRectF> PictureLayout::Shape(int index, const Presence& present) const {
  const PictureSpot* spot = Find(index);
  if (spot == nullptr || (present && !present(index))) return {};
  std::vector<QRectF> shape{RectOf(*spot)};
  for (int neighbour : spot->takes_over) {
    if (neighbour == PictureSpot::kNone || (present && present(neighbour))) continue;
    if (const PictureSpot* taken = Find(neighbour)) shape.push_back(RectOf(*taken));
  }
  return shape;
}

PictureLayout::Fit PictureLayout::FitInto(const QSizeF& area, double margin) const {
  const QRectF framed = bounds_.adjusted(-margin, -margin, margin, margin);
  Fit fit;
  if (framed.isEmpty() || area.isEmpty()) return fit;
  fit.unit = std::min(area.width() / framed.width(), area.height() / framed.height());
  const QPointF free((area.width() - framed.width() * fit.unit) / 2, (area.height() - framed.height() * fit.unit) / 2);
  fit.origin = free - framed.topLeft() * fit.unit;
  return fit;
}

double PictureLayout::AspectRatio(double margin) const {
  const QRectF framed = bounds_.adjusted(-margin, -margin, margin, margin);
  return framed.width() > 0 ? framed.height() / framed.width() : 0;
}

}  // namespace zt640
