#include "devsim/receiver_model.h"

#include "devsim/command_code.h"

namespace zt640::devsim {
namespace {

DevicePacket LinkAnswer(ReplyStatus status, uint8_t link) {
  DevicePacket reply = DevicePacket::Reply(static_cast<uint8_t>(CommandCode::kQueryReceiverLink),
                                           0, 0, status);
  reply.MutableData()[0] = link;
  reply.SealChecksum();
  return reply;
}

}  // namespace

ReceiverModel::ReceiverModel(KeyboardModel& keyboard, bool keyboard_powered)
    : keyboard_(keyboard), keyboard_powered_(keyboard_powered) {}

std::optional<DevicePacket> ReceiverModel::Handle(const DevicePacket& request) {
  if (request.ReportId() != DevicePacket::kReportId) return std::nullopt;
  const bool powered = keyboard_powered_;
  if (request.Command() == static_cast<uint8_t>(CommandCode::kQueryReceiverLink)) {
    if (!request.ChecksumValid()) return LinkAnswer(ReplyStatus::kRejected, kLinkDown);
    return LinkAnswer(ReplyStatus::kAccepted, powered ? kLinkUp : kLinkDown);
  }
  // The radio link carries at most 24 data bytes; the receiver refuses a longer packet
  // itself and the keyboard never sees it.
  if (request.Length() > kMaxData) {
    DevicePacket refused = DevicePacket::Reply(request.Command(), request.Length(), request.Offset(),
                                               ReplyStatus::kRejected);
    refused.SealChecksum();
    return refused;
  }
  if (!powered) return LinkAnswer(ReplyStatus::kAccepted, kLinkDown);
  return keyboard_.Handle(request);
}

}  // namespace zt640::devsim
