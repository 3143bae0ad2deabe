#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "profiles/keyboard_records.h"
#include "profiles/light_effect.h"

namespace zt640 {

/// The keyboard's 29-byte settings record, one per slot at slot x 29.
struct KeyboardSettingsRecord {
  static constexpr size_t kSize = 29;
  static constexpr size_t kSlot = 0;
  static constexpr size_t kModeCode = 1;
  static constexpr size_t kBrightness = 2;
  static constexpr size_t kInverseSpeed = 3;  ///< 4 - speed level
  static constexpr size_t kDirection = 4;
  static constexpr size_t kMulticolour = 5;
  static constexpr size_t kRed = 6;
  static constexpr size_t kGreen = 7;
  static constexpr size_t kBlue = 8;
  static constexpr size_t kSlotExtra = 16;   ///< forced to 0 when read
  static constexpr size_t kSlotSubCode = 17; ///< set by the 0x11 slot report
  static constexpr size_t kModeOption = 18;
  static constexpr size_t kWFlag = 19;
  static constexpr size_t kKey6Flag = 20;
  static constexpr size_t kWinFlag = 21;
  static constexpr size_t kPollingRate = 22;
  static constexpr size_t kCustomSlot = 25;
  static constexpr size_t kMacMode = 27;
  static constexpr size_t kWheel = 28;
  /// Mode code sent for the audio modes, whose frames the host streams; read
  /// back it keeps the mode shown.
  static constexpr uint8_t kHostStreamedCode = 0xFE;

  std::array<uint8_t, kSize> bytes{};

  /// The record for `slot_number` from the effect, its device mode code and the options.
  [[nodiscard]] static KeyboardSettingsRecord Build(uint8_t slot_number, uint8_t mode_code,
                                                    const LightEffect& effect,
                                                    const KeyboardOptions& options);
  /// Takes the record's lighting fields into `effect` (the mode by the caller)
  /// and its option bytes into `options` ("PollingRate", "Repeat" and
  /// "RepeatDelay" keep their values).
  void ApplyTo(LightEffect* effect, KeyboardOptions* options) const;
};
static_assert(sizeof(KeyboardSettingsRecord) == KeyboardSettingsRecord::kSize);

}  // namespace zt640
