#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "profiles/light_effect.h"

namespace zt640 {

/// The current lighting effect in device form: 16 bytes, handed around as four
/// 32-bit little-endian words (bytes 0-3, 4-7, 8-11, 12-15).
struct LightState {
  static constexpr size_t kSize = 16;
  static constexpr size_t kMode = 0;
  static constexpr size_t kBrightness = 1;  ///< level 0-4
  static constexpr size_t kSpeed = 2;       ///< level 0-4
  static constexpr size_t kDirection = 3;   ///< nonzero runs effects forward
  static constexpr size_t kMulticolour = 4;
  static constexpr size_t kRed = 5;
  static constexpr size_t kGreen = 6;
  static constexpr size_t kBlue = 7;
  static constexpr size_t kOption8 = 8;
  static constexpr size_t kModeOption = 11;   ///< settings record byte 18
  static constexpr size_t kCustomSlot = 12;   ///< 0-2
  static constexpr size_t kPreviousMode = 13;

  std::array<uint8_t, kSize> bytes{};

  [[nodiscard]] uint8_t mode() const { return bytes[kMode]; }
  [[nodiscard]] uint8_t brightness() const { return bytes[kBrightness]; }
  [[nodiscard]] uint8_t speed() const { return bytes[kSpeed]; }
  [[nodiscard]] bool forward() const { return bytes[kDirection] != 0; }
  [[nodiscard]] bool multicolour() const { return bytes[kMulticolour] != 0; }
  [[nodiscard]] uint8_t custom_slot() const { return bytes[kCustomSlot]; }

  [[nodiscard]] std::array<uint32_t, 4> Words() const {
    std::array<uint32_t, 4> words{};
    for (size_t w = 0; w < 4; ++w) {
      for (size_t b = 0; b < 4; ++b) words[w] |= static_cast<uint32_t>(bytes[w * 4 + b]) << (8 * b);
    }
    return words;
  }
  [[nodiscard]] static LightState FromWords(const std::array<uint32_t, 4>& words) {
    LightState state;
    for (size_t w = 0; w < 4; ++w) {
      for (size_t b = 0; b < 4; ++b) state.bytes[w * 4 + b] = static_cast<uint8_t>(words[w] >> (8 * b));
    }
    return state;
  }
  /// Fields 0-13 of the effect; bytes 14 and 15 stay 0.
  [[nodiscard]] static LightState FromEffect(const LightEffect& effect) {
    LightState state;
    const auto* fields = reinterpret_cast<const uint8_t*>(&effect);
    for (int i = 0; i < LightEffect::kFieldCount; ++i) state.bytes[static_cast<size_t>(i)] = fields[i];
    return state;
  }
  [[nodiscard]] LightEffect ToEffect() const {
    LightEffect effect;
    auto* fields = reinterpret_cast<uint8_t*>(&effect);
    for (int i = 0; i < LightEffect::kFieldCount; ++i) fields[i] = bytes[static_cast<size_t>(i)];
    return effect;
  }
  friend constexpr bool operator==(const LightState&, const LightState&) = default;
};

}  // namespace zt640
