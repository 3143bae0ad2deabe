#pragma once

#include <cstdint>
#include <string>

namespace zt640 {

/// Device kind codes carried by catalogue rows and slots.
namespace device_kind {
inline constexpr uint16_t kKeyboard = 1;
inline constexpr uint16_t kMouse = 2;
inline constexpr uint16_t kMousePad = 3;
inline constexpr uint16_t kMouseReceiver = 6;
inline constexpr uint16_t kHeadset = 7;
inline constexpr uint16_t kKeyboardReceiver = 9;
}  // namespace device_kind

/// Slot roles: the device's command interface, or a secondary interface of it.
inline constexpr uint16_t kRoleCommand = 0;
inline constexpr uint16_t kRoleSecondary = 255;

/// One listed HID interface: what identifies it, which device kind and role it
/// has, whether it is claimed, and its partner (the same device over the other
/// connection, cable or receiver).
struct InterfaceSlot {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t interface_number = 0;
  uint16_t collection_number = 0;
  uint16_t kind = 0;
  uint16_t role = 0;
  uint16_t in_use = 0;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  uint16_t has_partner = 0;
  uint16_t partner = 0;
  std::string path;  ///< the interface path while claimed; empty when free

  [[nodiscard]] bool IsFree() const { return in_use == 0 && path.empty(); }
};

/// Two records name the same device interface: every identifying field agrees
/// (claim state, partner fields and path are not compared).
[[nodiscard]] bool SlotKeysEqual(const InterfaceSlot& a, const InterfaceSlot& b);

/// True for the kinds reached through a receiver (6, 9).
[[nodiscard]] constexpr bool IsReceiverKind(uint16_t kind) {
  return kind == device_kind::kMouseReceiver || kind == device_kind::kKeyboardReceiver;
}
/// True for the cable kinds that have a receiver partner (1, 2).
[[nodiscard]] constexpr bool IsCableKind(uint16_t kind) {
  return kind == device_kind::kKeyboard || kind == device_kind::kMouse;
}

}  // namespace zt640
