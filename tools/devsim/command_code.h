#pragma once

#include <cstdint>

namespace zt640::devsim {

/// The command byte (packet byte 3) the firmware understands.
// Deliberately separate from the transport's codes: the simulator checks them independently.
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

/// Reply status byte (packet byte 7).
enum class ReplyStatus : uint8_t {
  kAccepted = 0x00,
  kRefusedForNow = 0xFE,
  kRejected = 0xFF,
};

}  // namespace zt640::devsim
