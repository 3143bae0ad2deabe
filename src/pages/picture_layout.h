#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <functional>
#include <span>
#include <vector>

namespace zt640 {

/// One place on a device picture: where button `index` ("key_N" or "light_N")
/// sits, in the picture's own units (a keyboard's: the width of one key).
struct PictureSpot {
  static constexpr int kNone = -1;

  int index = kNone;
  double x = 0;
  double y = 0;
  double width = 1;
  double height = 1;
  /// Neighbours whose places this spot takes over when the device lacks them: a
  /// Backspace grows over a missing Yen key, an Enter over a missing backslash
  /// into its L shape.
  std::array<int, 2> takes_over{kNone, kNone};
};

/// A device picture's geometry as data: the spots of its buttons, and the scale
/// and offset that fit them into a panel with their proportions kept. Keyboards,
/// mice, pads and headsets each give a table of spots; the picture then only
/// draws what the table says.
class PictureLayout {
 public:
  /// Whether the device has button `index`.
  using Presence = std::function<bool(int index)>;

  /// Maps picture units to panel pixels.
  struct Fit {
    double unit = 0;  ///< pixels per picture unit
    QPointF origin;   ///< the panel point of the units' origin
    [[nodiscard]] QRectF ToPanel(const QRectF& units) const;
    [[nodiscard]] QPointF ToPanel(const QPointF& units) const;
  };

  /// `spots` must outlive the layout (tables are static).
  explicit PictureLayout(std::span<const PictureSpot> spots);

  [[nodiscard]] std::span<const PictureSpot> Spots() const { return spots_; }
  /// The spot of button `index`, or null when the picture has no place for it.
  [[nodiscard]] const PictureSpot* Find(int index) const;
  /// The rectangle around every spot, in units.
  [[nodiscard]] const QRectF& Bounds() const { return bounds_; }

  /// The rectangles (units) that button `index` covers on a device with the
  /// buttons `present` says it has: its own place and those of the neighbours it
  /// takes over. Empty when the picture has no place for it or the device lacks it.
  [[nodiscard]] std::vector<QRectF> Shape(int index, const Presence& present) const;

  /// The largest fit of the bounds, widened by `margin` units on every side, into
  /// `area`, centred.
  [[nodiscard]] Fit FitInto(const QSizeF& area, double margin) const;
  /// Height over width of the bounds widened by `margin`.
  [[nodiscard]] double AspectRatio(double margin) const;

 private:
  std::span<const PictureSpot> spots_;
  QRectF bounds_;
};

}  // namespace zt640
