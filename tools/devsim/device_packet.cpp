#include "devsim/device_packet.h"

#include <algorithm>

#include "transport/byte_order.h"

namespace zt640::devsim {

DevicePacket::DevicePacket(std::span<const uint8_t> bytes) {
  std::copy_n(bytes.begin(), std::min(bytes.size(), kSize), bytes_.begin());
}

DevicePacket DevicePacket::Reply(uint8_t command, uint8_t length, uint16_t offset,
                                 ReplyStatus status) {
  DevicePacket reply;
  reply.bytes_[kReportIdAt] = kReportId;
  reply.bytes_[kCommandAt] = command;
  reply.bytes_[kLengthAt] = length;
  StoreLe16(reply.bytes_.data() + kOffsetAt, offset);
  reply.SetStatus(status);
  return reply;
}

uint16_t DevicePacket::ChecksumField() const { return LoadLe16(bytes_.data() + kChecksumAt); }

uint16_t DevicePacket::Offset() const { return LoadLe16(bytes_.data() + kOffsetAt); }

std::span<const uint8_t, DevicePacket::kMaxData> DevicePacket::Data() const {
  return std::span<const uint8_t, kMaxData>(bytes_.data() + kDataAt, kMaxData);
}

std::span<uint8_t, DevicePacket::kMaxData> DevicePacket::MutableData() {
  return std::span<uint8_t, kMaxData>(bytes_.data() + kDataAt, kMaxData);
}

uint16_t DevicePacket::ComputeChecksum() const {
  unsigned sum = 0;
  for (size_t i = kCommandAt; i < kSize; ++i) sum += bytes_[i];
  return static_cast<uint16_t>(sum);
}

void DevicePacket::SealChecksum() { StoreLe16(bytes_.data() + kChecksumAt, ComputeChecksum()); }

}  // namespace zt640::devsim
