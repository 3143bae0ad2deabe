#pragma once

#include <cstdint>

namespace zt640 {

/// Equaliser type that selects one of the user's custom presets.
inline constexpr int kCustomEqType = 13;
/// Number of bands of every equaliser preset.
inline constexpr int kEqBandCount = 10;

/// The headset's effect, equaliser and microphone settings, eight signed
/// 32-bit values in this order.
struct HeadsetOptions {
  int32_t magic_enable = 0;        ///< voice effect on/off
  int32_t magic_type = 0;          ///< voice effect type
  int32_t eq_type = 0;             ///< 1-12 preset, 13 custom preset
  int32_t custom_eq_index = 0;     ///< selected custom preset position
  int32_t mic_in_select = 0;
  int32_t mic_in_value = 0;
  int32_t mic_monitor_select = 0;
  int32_t mic_monitor_value = 0;
  friend constexpr bool operator==(const HeadsetOptions&, const HeadsetOptions&) = default;
};
static_assert(sizeof(HeadsetOptions) == 32);

}  // namespace zt640
