// Arbitrary request reports into the keyboard and mouse models and their
// receivers: none may crash, every reply must be a well-formed 64-byte command
// report, and the mouse never takes a record it cannot run.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "devsim/device_packet.h"
#include "devsim/keyboard_model.h"
#include "devsim/mouse_model.h"
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
  zt640::devsim::MouseModel mouse(zt640::devsim::MouseModelConfig{
      size % 3 == 0 ? zt640::devsim::MouseVariant::kNoDpiCycle
                    : zt640::devsim::MouseVariant::kElevenButtons});
  const std::array<uint8_t, 1> shoot_whole = {0x17};
  zt640::devsim::ReceiverModel mouse_receiver(mouse, size % 2 == 0, shoot_whole);
  const std::span<const uint8_t> input(data, size);
  for (size_t at = 0; at < input.size(); at += DevicePacket::kSize) {
    const auto chunk = input.subspan(at, std::min(DevicePacket::kSize, input.size() - at));
    DevicePacket request(chunk);
    // The checksum's low byte picks the route (byte 0 must stay the report id to
    // reach a model): half the packets get a correct checksum so they reach the
    // command code.
    const uint8_t selector = chunk.size() > 1 ? chunk[1] : 0;
    if (selector & 1) request.SealChecksum();
    const bool via_receiver = (selector & 2) != 0;
    const bool to_mouse = (selector & 4) != 0;
    zt640::devsim::FirmwareModel& device =
        to_mouse ? static_cast<zt640::devsim::FirmwareModel&>(mouse) : keyboard;
    const auto reply = via_receiver ? (to_mouse ? mouse_receiver : receiver).Handle(request)
                                    : device.Handle(request);
    if (to_mouse && (mouse.ActiveSlot() >= 8 || mouse.CurrentStage() >= 5)) __builtin_trap();
    if (request.ReportId() != DevicePacket::kReportId) {
      if (reply) __builtin_trap();
      continue;
    }
    if (!reply) __builtin_trap();
    CheckReply(request, *reply, via_receiver);
  }
  return 0;
}
