#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "devsim/command_code.h"

namespace zt640::devsim {

/// One 64-byte command report as it travels on the vendor collection, request
/// and reply alike: report id, 16-bit checksum of bytes 3..63, command, length,
/// 16-bit offset, status and up to 56 data bytes.
class DevicePacket {
 public:
  static constexpr size_t kSize = 64;
  static constexpr size_t kReportIdAt = 0;
  static constexpr size_t kChecksumAt = 1;
  static constexpr size_t kCommandAt = 3;
  static constexpr size_t kLengthAt = 4;
  static constexpr size_t kOffsetAt = 5;
  static constexpr size_t kStatusAt = 7;
  static constexpr size_t kDataAt = 8;
  static constexpr size_t kMaxData = kSize - kDataAt;
  static constexpr uint8_t kReportId = 0x04;

  DevicePacket() = default;
  /// Copies up to 64 bytes; a shorter input is padded with zeros.
  explicit DevicePacket(std::span<const uint8_t> bytes);

  /// A reply skeleton: report id, the echoed command, length and offset, status;
  /// data zero; checksum not yet set (call SealChecksum last).
  [[nodiscard]] static DevicePacket Reply(uint8_t command, uint8_t length, uint16_t offset,
                                          ReplyStatus status);

  [[nodiscard]] uint8_t ReportId() const { return bytes_[kReportIdAt]; }
  [[nodiscard]] uint16_t ChecksumField() const;
  [[nodiscard]] uint8_t Command() const { return bytes_[kCommandAt]; }
  [[nodiscard]] uint8_t Length() const { return bytes_[kLengthAt]; }
  [[nodiscard]] uint16_t Offset() const;
  [[nodiscard]] uint8_t Status() const { return bytes_[kStatusAt]; }
  [[nodiscard]] std::span<const uint8_t, kMaxData> Data() const;
  [[nodiscard]] std::span<uint8_t, kMaxData> MutableData();

  void SetCommand(uint8_t command) { bytes_[kCommandAt] = command; }
  void SetStatus(ReplyStatus status) { bytes_[kStatusAt] = static_cast<uint8_t>(status); }

  /// Sum of the unsigned values of bytes 3..63 (at most 61 * 255 = 15555).
  [[nodiscard]] uint16_t ComputeChecksum() const;
  [[nodiscard]] bool ChecksumValid() const { return ChecksumField() == ComputeChecksum(); }
  /// Writes ComputeChecksum() into bytes 1-2; call after every other byte is set.
  void SealChecksum();

  [[nodiscard]] const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }

 private:
  std::array<uint8_t, kSize> bytes_{};
};

static_assert(sizeof(DevicePacket) == DevicePacket::kSize);

}  // namespace zt640::devsim
