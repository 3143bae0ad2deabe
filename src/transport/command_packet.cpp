#include "transport/command_packet.h"

#include <numeric>

namespace zt640 {

CommandPacket CommandPacket::Request(CommandCode command, uint8_t length, uint16_t address) {
  CommandPacket packet;
  packet.bytes[kReportIdOffset] = kReportId;
  packet.bytes[kCommandOffset] = CommandByte(command);
  packet.bytes[kLengthOffset] = length;
  StoreLe16(&packet.bytes[kAddressOffset], address);
  packet.UpdateChecksum();
  return packet;
}

uint16_t CommandPacket::ComputeChecksum() const {
  const unsigned sum = std::accumulate(bytes.begin() + kCommandOffset, bytes.end(), 0u);
  return static_cast<uint16_t>(sum);
}

}  // namespace zt640
