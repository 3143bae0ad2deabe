#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zt640::ctl {

/// What identifies one HID interface of a device.
struct InterfaceKey {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t interface_number = 0;
  uint16_t collection_number = 0;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
};

/// The keyboard's command interface over its cable, and through its receiver.
inline constexpr InterfaceKey kKeyboardCommandInterface{0x320F, 0x505B, 1, 4, 0xFF1C, 0x92};
inline constexpr InterfaceKey kReceiverCommandInterface{0x320F, 0x5089, 1, 4, 0xFF1C, 0x92};

/// Enumerates the interfaces present and returns the path of the first one
/// matching key (ids and numbers from the path, usage page and usage from a
/// probe open); none when absent.
[[nodiscard]] std::optional<std::string> FindInterface(const InterfaceKey& key);

/// Parses "VVVV:PPPP" (hex) into the key's ids; false when malformed.
[[nodiscard]] bool ParseUsbId(const std::string& text, InterfaceKey* key);

}  // namespace zt640::ctl
