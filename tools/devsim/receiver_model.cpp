#include "devsim/receiver_model.h"

#include <algorithm>

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

ReceiverModel::ReceiverModel(FirmwareModel& device, bool device_powered,
                             std::span<const uint8_t> relayed_whole)
    : device_(device),
      device_powered_(device_powered),
      relayed_whole_(relayed_whole.begin(), relayed_whole.end()) {}

std::optional<DevicePacket> ReceiverModel::Handle(const DevicePacket& request) {
  if (request.ReportId() != DevicePacket::kReportId) return std::nullopt;
  const bool powered = device_powered_;
  if (request.Command() == static_cast<uint8_t>(CommandCode::kQueryReceiverLink)) {
    if (!request.ChecksumValid()) return LinkAnswer(ReplyStatus::kRejected, kLinkDown);
    return LinkAnswer(ReplyStatus::kAccepted, powered ? kLinkUp : kLinkDown);
  }
  // The radio link carries at most 24 data bytes; the receiver refuses a longer packet
  // itself and the device never sees it, unless it relays that command whole.
  const bool relayed_whole = std::find(relayed_whole_.begin(), relayed_whole_.end(),
                                       request.Command()) != relayed_whole_.end();
  if (request.Length() > kMaxData && !relayed_whole) {
    DevicePacket refused = DevicePacket::Reply(request.Command(), request.Length(), request.Offset(),
                                               ReplyStatus::kRejected);
    refused.SealChecksum();
    return refused;
  }
  if (!powered) return LinkAnswer(ReplyStatus::kAccepted, kLinkDown);
  return device_.Handle(request);
}

}  // namespace zt640::devsim
