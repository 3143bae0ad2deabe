#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "devices/light_state.h"
#include "transport/command_channel.h"

namespace zt640 {

/// The 21-byte settings record of the mouse pad and the headset. On the
/// device byte 1 is the lighting mode's code and byte 3 is 4 - speed level;
/// the device object keeps the mode index and the speed level there instead
/// and converts on the way to and from the device. Bytes 9-20 are kept as
/// last read.
struct LightingSettingsRecord {
  static constexpr size_t kSize = 21;
  static constexpr size_t kSlot = 0;
  static constexpr size_t kMode = 1;
  static constexpr size_t kBrightness = 2;
  static constexpr size_t kSpeed = 3;
  static constexpr size_t kDirection = 4;
  static constexpr size_t kMulticolour = 5;
  static constexpr size_t kRed = 6;
  static constexpr size_t kGreen = 7;
  static constexpr size_t kBlue = 8;
  /// Light state bytes 0-7 sit at record bytes 1-8.
  static constexpr size_t kLightBytes = 8;
  /// The record is read at slot x 29 (29 bytes, the first 21 kept) and
  /// written at slot x 64; only slot 0 is ever written.
  static constexpr uint16_t kReadStride = 29;
  static constexpr uint16_t kReadLength = 29;
  static constexpr uint16_t kWriteStride = 64;
  static constexpr uint8_t kTopSpeed = 4;
  /// Mode indices above this one are written as mode 0's code.
  static constexpr uint8_t kLastModeIndex = 8;

  std::array<uint8_t, kSize> bytes{};

  /// Record bytes 1-8 from the light state's bytes 0-7 (mode index, speed level).
  void TakeLight(const LightState& state);
  /// The light state's bytes 0-7 from record bytes 1-8.
  void GiveLight(LightState* state) const;
};
static_assert(sizeof(LightingSettingsRecord) == LightingSettingsRecord::kSize);

/// Reading and writing the record over a device's command channel.
class LightingSettingsExchange {
 public:
  /// The active slot (1 byte at offset 0), then 29 bytes at slot x 29 whose
  /// first 21 become *raw (device form). The first failing command's code,
  /// else kSuccess; *raw is untouched on failure.
  [[nodiscard]] static int Read(CommandChannel& channel, uint8_t* slot, LightingSettingsRecord* raw);
  /// BeginConfig, 21 bytes at slot x 64, EndConfig. The first failing code, else kSuccess.
  [[nodiscard]] static int Write(CommandChannel& channel, int slot, const LightingSettingsRecord& raw);
};

}  // namespace zt640
