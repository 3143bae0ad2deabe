#pragma once

#include <array>
#include <cstdint>

#include "devices/zone_colour.h"

namespace zt640 {

/// The fixed tables every host effect draws from.
class HostEffects {
 public:
  static constexpr int kWheelSize = 192;
  static constexpr int kBreathingSteps = 128;
  static constexpr int kWaveSteps = 96;
  static constexpr int kLevelCount = 5;
  /// One blink step lasts this long; a blink period is a number of steps.
  static constexpr uint32_t kBlinkStepMs = 200;

  /// 192 fully saturated colours around the hue circle, red first.
  [[nodiscard]] static const std::array<ZoneColour, kWheelSize>& ColourWheel();
  /// 128 brightness values: up in 64 steps to 255, then back down.
  [[nodiscard]] static const std::array<uint8_t, kBreathingSteps>& BreathingCurve();
  /// 96 brightness values of the single-colour waves: up in 48 steps from 22
  /// to 255, then back down.
  [[nodiscard]] static const std::array<uint8_t, kWaveSteps>& WaveCurve();
  /// Brightness level 0-4 as 0, 63, 126, 190, 255; levels above 4 count as 4.
  [[nodiscard]] static uint8_t Level(uint8_t level);
  /// Blink period in 200 ms steps for speed level 0-4 (28, 23, 18, 13, 7).
  [[nodiscard]] static uint32_t BlinkPeriodSteps(uint8_t speed);
  /// The four fixed colours of the four-colour effects.
  [[nodiscard]] static const std::array<ZoneColour, 4>& FixedColours();
  /// The wheel entry at `index` (taken modulo the wheel size).
  [[nodiscard]] static ZoneColour Wheel(int index);

  /// One step through 0..limit-1: forward v + 1 wrapping to 0, backward
  /// v - 1 wrapping to limit - 1. A value at or beyond the limit restarts
  /// the cycle (0 forward, limit - 1 backward).
  [[nodiscard]] static int Step(bool forward, int limit, int value);
};

}  // namespace zt640
