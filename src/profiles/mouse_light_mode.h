#pragma once

#include <cstdint>

namespace zt640 {

/// The mouse's lighting modes by mode index: light state byte 0, the position
/// in the mouse's mode list. Each is named after the effect the host renders
/// for it; an index past the last one plays the mode's light frames.
enum class MouseLightMode : uint8_t {
  kWave = 0,
  kSpectrum = 1,
  kBreathing = 2,
  kStatic = 3,
  kBlink = 4,
  kRing = 5,
  kReactive = 6,  ///< zones light up when the mouse reports a press (0x0403)
  kBreathingFourColours = 7,
  kBlinkFourColours = 8,
  kOff = 9,
};

/// Number of mode indices the mouse plays itself; from here on the index names
/// a light frame list and the mouse is sent mode 0's code.
inline constexpr int kMouseLightModeCount = 10;

}  // namespace zt640
