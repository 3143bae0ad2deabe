#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "devsim/device_packet.h"
#include "transport/byte_order.h"

namespace zt640::test {

/// A request as the host builds it: report id, command, length, offset, data,
/// then the checksum.
inline devsim::DevicePacket Request(uint8_t command, uint8_t length = 0, uint16_t offset = 0,
                            const std::vector<uint8_t>& data = {}) {
  std::vector<uint8_t> bytes(devsim::DevicePacket::kSize, 0);
  bytes[0] = devsim::DevicePacket::kReportId;
  bytes[3] = command;
  bytes[4] = length;
  StoreLe16(bytes.data() + 5, offset);
  for (size_t i = 0; i < data.size() && 8 + i < bytes.size(); ++i) bytes[8 + i] = data[i];
  devsim::DevicePacket packet(bytes);
  packet.SealChecksum();
  return packet;
}

inline std::vector<uint8_t> Bytes(const devsim::DevicePacket& packet) {
  return {packet.Bytes().begin(), packet.Bytes().end()};
}

inline std::vector<uint8_t> Padded(std::initializer_list<uint8_t> head) {
  std::vector<uint8_t> bytes(head);
  bytes.resize(devsim::DevicePacket::kSize, 0);
  return bytes;
}

}  // namespace zt640::test
