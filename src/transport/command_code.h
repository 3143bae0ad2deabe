#pragma once

#include <cstdint>

namespace zt640 {

/// The command byte (packet byte 3) of every request the channel sends; a
/// reply echoes it. One function of CommandChannel per code.
enum class CommandCode : uint8_t {
  kBeginConfig = 0x01,
  kEndConfig = 0x02,
  kReadDeviceInfo = 0x03,
  kReadSettings = 0x05,
  kWriteSettings = 0x06,
  kReadKeyTable = 0x07,
  kWriteKeyTable = 0x09,
  kReadLightMemory = 0x0A,
  kWriteLightMemory = 0x0B,
  kResetToDefaults = 0x0D,
  kStreamLightFrame = 0x12,
  kWriteMacroArea = 0x15,
  kWriteShootData = 0x17,
  kReadStatus = 0x1A,
  kReadKeyLightMap = 0x1B,
  kEnableHostLighting = 0x1C,
  kQueryReceiverLink = 0xAA,
};

/// The byte a code travels as.
[[nodiscard]] constexpr uint8_t CommandByte(CommandCode code) { return static_cast<uint8_t>(code); }

}  // namespace zt640
