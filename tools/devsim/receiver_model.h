#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "devsim/device_packet.h"
#include "devsim/firmware_model.h"

namespace zt640::devsim {

/// The 2.4 GHz receiver in front of a keyboard or a mouse: forwards command
/// reports to the device while it is switched on, answers for it with command
/// 0xAA while it is off, and answers the link query (0xAA) itself. A packet with
/// more than 24 data bytes does not fit its radio link: the receiver refuses it
/// (status 0xFF), except for the commands it relays in whole 56-byte pieces
/// (the mouse receiver's shoot data).
class ReceiverModel {
 public:
  explicit ReceiverModel(FirmwareModel& device, bool device_powered = true,
                         std::span<const uint8_t> relayed_whole = {});

  /// Link query (0xAA): byte 3 0xAA, status 0, byte 8 0xFF when the device is
  /// linked, 0x00 when not (status 0xFF for a bad checksum). Device off: that
  /// same "not linked" answer to every request. Otherwise the device's reply.
  /// A request longer than kMaxData is refused whatever the device's state.
  /// nullopt when the report is not a command report.
  [[nodiscard]] std::optional<DevicePacket> Handle(const DevicePacket& request);

  void SetDevicePowered(bool powered) { device_powered_ = powered; }
  [[nodiscard]] bool DevicePowered() const { return device_powered_; }

  /// Most data bytes one packet carries over the radio link.
  static constexpr uint8_t kMaxData = 24;
  static constexpr uint8_t kLinkUp = 0xFF;
  static constexpr uint8_t kLinkDown = 0x00;

 private:
  FirmwareModel& device_;
  std::atomic<bool> device_powered_;
  std::vector<uint8_t> relayed_whole_;  ///< commands carried with up to 56 data bytes
};

}  // namespace zt640::devsim
