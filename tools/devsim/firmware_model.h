#pragma once

#include <mutex>
#include <optional>

#include "devsim/device_packet.h"

namespace zt640::devsim {

/// A device's firmware as a receiver sees it: one reply per command report.
class FirmwareModel {
 public:
  virtual ~FirmwareModel() = default;
  /// The reply to one request; nullopt when the report is not a command report.
  [[nodiscard]] virtual std::optional<DevicePacket> Handle(const DevicePacket& request) = 0;
};

/// A device's own firmware: it answers each command report whole under the
/// model's lock, then seals the reply's checksum. Every member a model adds is
/// guarded by mutex_.
class LockedFirmwareModel : public FirmwareModel {
 public:
  [[nodiscard]] std::optional<DevicePacket> Handle(const DevicePacket& request) final {
    if (request.ReportId() != DevicePacket::kReportId) return std::nullopt;
    std::lock_guard lock(mutex_);
    DevicePacket reply = Execute(request);
    reply.SealChecksum();
    return reply;
  }

 protected:
  /// The reply to one command report; called with mutex_ held.
  [[nodiscard]] virtual DevicePacket Execute(const DevicePacket& request) = 0;

  mutable std::mutex mutex_;
};

}  // namespace zt640::devsim
