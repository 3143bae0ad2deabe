#include "devices/host_effects.h"

#include <algorithm>

namespace zt640 {
namespace {

constexpr std::array<uint8_t, 32> kRising = {0x01, 0x03, 0x05, 0x07, 0x0A, 0x0E, 0x12, 0x16,
                                             0x1A, 0x20, 0x26, 0x2C, 0x32, 0x39, 0x41, 0x49,
                                             0x51, 0x59, 0x63, 0x6D, 0x77, 0x81, 0x8C, 0x98,
                                             0xA4, 0xB0, 0xBC, 0xC8, 0xD5, 0xE3, 0xF1, 0xFF};
constexpr std::array<uint8_t, 32> kFalling = {0xF8, 0xEA, 0xDC, 0xCE, 0xC2, 0xB6, 0xAA, 0x9E,
                                              0x92, 0x86, 0x7C, 0x72, 0x68, 0x5E, 0x55, 0x4D,
                                              0x45, 0x3D, 0x35, 0x2F, 0x29, 0x23, 0x1D, 0x18,
                                              0x14, 0x10, 0x0C, 0x08, 0x06, 0x04, 0x02, 0x00};

// The rising half of the breathing curve; the falling half mirrors it.
constexpr std::array<uint8_t, 64> kBreathingRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// The rising half of the wave curve; the falling half mirrors it.
constexpr std::array<uint8_t, HostEffects::kWaveSteps / 2> kWaveRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

std::array<ZoneColour, HostEffects::kWheelSize> BuildWheel() {
  std::array<ZoneColour, HostEffects::kWheelSize> wheel{};
  for (size_t i = 0; i < 32; ++i) {
    wheel[i] = {0xFF, kRising[i], 0, 0};
    wheel[32 + i] = {kFalling[i], 0xFF, 0, 0};
    wheel[64 + i] = {0, 0xFF, kRising[i], 0};
    wheel[96 + i] = {0, kFalling[i], 0xFF, 0};
    wheel[128 + i] = {kRising[i], 0, 0xFF, 0};
    wheel[160 + i] = {0xFF, 0, kFalling[i], 0};
  }
  return wheel;
}

std::array<uint8_t, HostEffects::kBreathingSteps> BuildBreathing() {
  std::array<uint8_t, HostEffects::kBreathingSteps> curve{};
  for (size_t i = 0; i < 64; ++i) {
    curve[i] = kBreathingRise[i];
    curve[127 - i] = kBreathingRise[i];
  }
  return curve;
}

}  // namespace

const std::array<ZoneColour, HostEffects::kWheelSize>& HostEffects::ColourWheel() {
  static const auto wheel = BuildWheel();
  return wheel;
}

const std::array<uint8_t, HostEffects::kBreathingSteps>& HostEffects::BreathingCurve() {
  static const auto curve = BuildBreathing();
  return curve;
}

const std::array<uint8_t, HostEffects::kWaveSteps>& HostEffects::WaveCurve() {
  static const auto curve = [] {
    std::array<uint8_t, kWaveSteps> values{};
    for (size_t i = 0; i < kWaveRise.size(); ++i) {
      values[i] = kWaveRise[i];
      values[kWaveSteps - 1 - i] = kWaveRise[i];
    }
    return values;
  }();
  return curve;
}

uint8_t HostEffects::Level(uint8_t level) {
  static constexpr std::array<uint8_t, kLevelCount> kLevels = {0, 63, 126, 190, 255};
  return kLevels[std::min<size_t>(level, kLevelCount - 1)];
}

uint32_t HostEffects::BlinkPeriodSteps(uint8_t speed) {
  static constexpr std::array<uint32_t, kLevelCount> kPeriods = {28, 23, 18, 13, 7};
  return kPeriods[std::min<size_t>(speed, kLevelCount - 1)];
}

const std::array<ZoneColour, 4>& HostEffects::FixedColours() {
  static constexpr std::array<ZoneColour, 4> kColours = {
      ZoneColour{0x00, 0xFF, 0xB4, 0}, ZoneColour{0x00, 0xFF, 0x00, 0},
      ZoneColour{0xFF, 0xFF, 0xFF, 0}, ZoneColour{0xFF, 0x00, 0x00, 0}};
  return kColours;
}

ZoneColour HostEffects::Wheel(int index) {
  const int wrapped = ((index % kWheelSize) + kWheelSize) % kWheelSize;
  return ColourWheel()[static_cast<size_t>(wrapped)];
}

int HostEffects::Step(bool forward, int limit, int value) {
  if (limit <= 0) return 0;
  if (forward) {
    const int next = value + 1;
    return (next >= limit || next < 0) ? 0 : next;
  }
  if (value <= 0 || value > limit) return limit - 1;
  return value - 1;
}

}  // namespace zt640
