#pragma once

#include <cstdint>
#include <string>

#include "catalogue/device_kind.h"

namespace zt640 {

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
  DeviceKind kind = DeviceKind::kNone;
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

}  // namespace zt640
