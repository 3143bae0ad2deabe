#pragma once

#include <cstdint>

namespace zt640 {

/// A lighting effect: fourteen one-byte fields numbered 0 to 13, in this order.
/// The device image of the record belongs to the keyboard lighting code.
struct LightEffect {
  uint8_t mode = 0;              ///< 0: selected light mode number
  uint8_t brightness = 0;        ///< 1
  uint8_t speed = 0;             ///< 2
  uint8_t direction = 0;         ///< 3
  uint8_t multicolor = 0;        ///< 4: 0 or 1
  uint8_t red = 0;               ///< 5
  uint8_t green = 0;             ///< 6
  uint8_t blue = 0;              ///< 7
  uint8_t reserved8 = 0;         ///< 8: not stored
  uint8_t reserved9 = 0;         ///< 9: not stored
  uint8_t present = 0;           ///< 10: set only for zone list elements found in the file
  uint8_t zzcc_led_mode = 0;     ///< 11
  uint8_t custom_group = 0;      ///< 12
  uint8_t previous_mode = 0;     ///< 13

  static constexpr int kFieldCount = 14;
  friend constexpr bool operator==(const LightEffect&, const LightEffect&) = default;
};
static_assert(sizeof(LightEffect) == LightEffect::kFieldCount);

/// One frame of a light mode's frame file: the effect fields (8 to 13 stay
/// zero), how long the frame lasts and how often it repeats.
struct EffectFrame {
  LightEffect effect;
  int32_t time = 0;
  int32_t cycle = 0;
  friend constexpr bool operator==(const EffectFrame&, const EffectFrame&) = default;
};

/// Audio-reactive lighting: nine one-byte fields in this order.
struct AudioLightSetting {
  uint8_t audio_mode = 0;
  uint8_t background_red = 0;
  uint8_t background_green = 0;
  uint8_t background_blue = 0;
  uint8_t foreground_red = 0;
  uint8_t foreground_green = 0;
  uint8_t foreground_blue = 0;
  uint8_t seven_color = 0;  ///< 0 or 1
  uint8_t color_type = 0;   ///< 0 or 1; always 1 after reading a stored setting

  static constexpr int kFieldCount = 9;
  friend constexpr bool operator==(const AudioLightSetting&, const AudioLightSetting&) = default;
};
static_assert(sizeof(AudioLightSetting) == AudioLightSetting::kFieldCount);

}  // namespace zt640
