#pragma once

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

}  // namespace zt640::devsim
