#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "profiles/hs6533_profiledata.h"

namespace zt640 {

/// The headset's equaliser presets and limits.
class HeadsetEqualiser {
 public:
  static constexpr int kPresetCount = 12;
  static constexpr int kFirstPreset = 1;
  static constexpr int kCustomType = kCustomEqType;
  static constexpr int kNoType = 0;
  static constexpr size_t kMaxCustomCurves = 20;
  static constexpr int kNoCurve = -1;

  /// The gains of preset 1-12, band 1 first; nullopt for any other number.
  [[nodiscard]] static std::optional<EqBands> PresetGains(int preset);
};

}  // namespace zt640
