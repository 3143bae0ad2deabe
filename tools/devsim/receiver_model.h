#pragma once

#include <atomic>
#include <optional>

#include "devsim/device_packet.h"
#include "devsim/keyboard_model.h"

namespace zt640::devsim {

/// The 2.4 GHz receiver in front of a keyboard: forwards command reports to the
/// keyboard while it is switched on, answers for it with command 0xAA while it
/// is off, and answers the link query (0xAA) itself. A packet with more than 24
/// data bytes does not fit its radio link: the receiver refuses it (status 0xFF).
class ReceiverModel {
 public:
  explicit ReceiverModel(KeyboardModel& keyboard, bool keyboard_powered = true);

  /// Link query (0xAA): byte 3 0xAA, status 0, byte 8 0xFF when the keyboard is
  /// linked, 0x00 when not (status 0xFF for a bad checksum). Keyboard off: that
  /// same "not linked" answer to every request. Otherwise the keyboard's reply.
  /// A request longer than kMaxData is refused whatever the keyboard's state.
  /// nullopt when the report is not a command report.
  [[nodiscard]] std::optional<DevicePacket> Handle(const DevicePacket& request);

  void SetKeyboardPowered(bool powered) { keyboard_powered_ = powered; }
  [[nodiscard]] bool KeyboardPowered() const { return keyboard_powered_; }

  /// Most data bytes one packet carries over the radio link.
  static constexpr uint8_t kMaxData = 24;
  static constexpr uint8_t kLinkUp = 0xFF;
  static constexpr uint8_t kLinkDown = 0x00;

 private:
  KeyboardModel& keyboard_;
  std::atomic<bool> keyboard_powered_;
};

}  // namespace zt640::devsim
