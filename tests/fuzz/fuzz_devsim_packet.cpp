// Arbitrary request reports into the keyboard and receiver models: neither may
// crash, and every reply must be a well-formed 64-byte command report.

#include <cstddef>
#include <cstdint>
#include <span>

#include "devsim/device_packet.h"
#include "devsim/keyboard_model.h"
#include "devsim/receiver_model.h"

namespace {

using zt640::devsim::DevicePacket;

void CheckReply(const DevicePacket& request, const DevicePacket& reply, bool via_receiver) {
  const bool command_ok = reply.Command() == request.Command() ||
                          (via_receiver && reply.Command() == 0xAA);
  const bool refused = reply.Status() == 0xFF || reply.Status() == 0xFE;
  const bool status_ok = reply.Status() == 0x00 || refused;
  if (reply.ReportId() != DevicePacket::kReportId || !reply.ChecksumValid() || !command_ok ||
      !status_ok) {
    __builtin_trap();
  }
  // A refused request carries no data.
  if (refused) {
    for (uint8_t byte : reply.Data()) {
      if (byte != 0) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One model per input, so each run starts from factory state; the input is
  // a sequence of packets so writes followed by reads are explored.
  zt640::devsim::KeyboardModel keyboard;
  zt640::devsim::ReceiverModel receiver(keyboard, size % 2 == 0);
  const std::span<const uint8_t> input(data, size);
  for (size_t at = 0; at < input.size(); at += DevicePacket::kSize) {
    const auto chunk = input.subspan(at, std::min(DevicePacket::kSize, input.size() - at));
    DevicePacket request(chunk);
    // Half the packets get a correct checksum so they reach the command code.
    if (chunk[0] & 1) request.SealChecksum();
    const bool via_receiver = (chunk[0] & 2) != 0;
    const auto reply = via_receiver ? receiver.Handle(request) : keyboard.Handle(request);
    if (request.ReportId() != DevicePacket::kReportId) {
      if (reply) __builtin_trap();
      continue;
    }
    if (!reply) __builtin_trap();
    CheckReply(request, *reply, via_receiver);
  }
  return 0;
}
