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
  if (!powered) return LinkAnswer(ReplyStatus::kAccepted, kLinkDown);
  return keyboard_.Handle(request);
}

}  // namespace zt640::devsim
