#include "devices/mouse/dpi_scale.h"

#include <algorithm>

namespace zt640 {

int DpiScale::LevelToDpi(int level) const {
  if (TwoSlope() && level > kKneeLevel) return step_ * kKneeLevel + (level - kKneeLevel) * kUpperStep + base_;
  return level * step_ + base_;
}

std::optional<int> DpiScale::DpiToLevel(int dpi) const {
  if (!Usable()) return std::nullopt;
  const int above_base = std::max(dpi, base_) - base_;
  int level = above_base / step_;
  // The inverse of LevelToDpi: above the knee's own value the upper slope
  // counts, so typing what a level shows gives that level back.
  const int knee = step_ * kKneeLevel;
  if (TwoSlope() && above_base > knee) level = kKneeLevel + (above_base - knee) / kUpperStep;
  return std::clamp(level, 0, level_maximum_);
}

int DpiScale::ClampLevel(int level) const {
  if (level < 0) return 0;
  return std::min(level, level_maximum_ > 0 ? level_maximum_ : 0xFFFF);
}

}  // namespace zt640
