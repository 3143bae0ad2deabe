#pragma once

#include <cstdint>

namespace zt640 {

/// One light zone as the host effects leave it: a colour and the brightness
/// (0-255) it is shown at. The frame carries colour x brightness / 256.
struct ZoneColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t brightness = 0;
  friend constexpr bool operator==(const ZoneColour&, const ZoneColour&) = default;
};
static_assert(sizeof(ZoneColour) == 4);

}  // namespace zt640
