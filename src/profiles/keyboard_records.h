#pragma once

#include <cstdint>

namespace zt640 {

/// The keyboard's option values, eight unsigned 16-bit values in this order.
struct KeyboardOptions {
  uint16_t repeat = 0;
  uint16_t repeat_delay = 0;
  uint16_t key6_flag = 0;
  uint16_t polling_rate = 0;
  uint16_t w_flag = 0;
  uint16_t win_flag = 0;
  uint16_t mac_mode = 0;
  uint16_t wheel = 0;
  friend constexpr bool operator==(const KeyboardOptions&, const KeyboardOptions&) = default;
};
static_assert(sizeof(KeyboardOptions) == 16);

/// The colour of one key in one custom colour group.
struct CustomColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 0;
  friend constexpr bool operator==(const CustomColor&, const CustomColor&) = default;
};
static_assert(sizeof(CustomColor) == 4);

}  // namespace zt640
