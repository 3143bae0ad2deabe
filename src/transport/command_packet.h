#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "transport/byte_order.h"
#include "transport/command_code.h"

namespace zt640 {

/// One 64-byte command report, requests and replies alike.
struct CommandPacket {
  static constexpr size_t kSize = 64;
  static constexpr uint8_t kReportId = 0x04;
  static constexpr size_t kReportIdOffset = 0;
  static constexpr size_t kChecksumOffset = 1;  ///< 16-bit LE sum of bytes 3..63
  static constexpr size_t kCommandOffset = 3;
  static constexpr size_t kLengthOffset = 4;
  static constexpr size_t kAddressOffset = 5;   ///< 16-bit LE start within the memory area
  static constexpr size_t kStatusOffset = 7;
  static constexpr size_t kDataOffset = 8;
  static constexpr size_t kMaxData = kSize - kDataOffset;
  static constexpr uint8_t kStatusRejected = 0xFF;
  static constexpr uint8_t kStatusRefusedForNow = 0xFE;
  /// Command byte of the receiver's answer when the device behind it is silent.
  static constexpr uint8_t kReceiverNoDeviceEcho = CommandByte(CommandCode::kQueryReceiverLink);

  std::array<uint8_t, kSize> bytes{};

  /// A request with report id, command, length and offset set and the
  /// checksum computed over what is in place (data, if any, must be set
  /// before calling UpdateChecksum again).
  [[nodiscard]] static CommandPacket Request(CommandCode command, uint8_t length = 0,
                                             uint16_t address = 0);

  [[nodiscard]] uint8_t command() const { return bytes[kCommandOffset]; }
  [[nodiscard]] uint8_t length() const { return bytes[kLengthOffset]; }
  [[nodiscard]] uint16_t address() const { return LoadLe16(&bytes[kAddressOffset]); }
  [[nodiscard]] uint8_t status() const { return bytes[kStatusOffset]; }
  [[nodiscard]] uint16_t checksum() const { return LoadLe16(&bytes[kChecksumOffset]); }
  [[nodiscard]] std::span<uint8_t> data() { return {bytes.data() + kDataOffset, kMaxData}; }
  [[nodiscard]] std::span<const uint8_t> data() const {
    return {bytes.data() + kDataOffset, kMaxData};
  }

  /// Sum of the unsigned values of bytes 3..63 (at most 61 * 255 = 15555).
  [[nodiscard]] uint16_t ComputeChecksum() const;
  void UpdateChecksum() { StoreLe16(&bytes[kChecksumOffset], ComputeChecksum()); }
};

static_assert(sizeof(CommandPacket) == CommandPacket::kSize);

}  // namespace zt640
