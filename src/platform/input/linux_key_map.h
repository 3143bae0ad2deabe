#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zt640::platform::input {

/// One key as the kernel's input layer names it and as the keyboard hook reports it.
struct LinuxKey {
  std::uint16_t code;          ///< Linux input key code (KEY_*)
  std::uint8_t scan_code;      ///< PC scan code, set 1 make code
  bool extended;               ///< the extended-key (0xE0 prefix) flag
  std::uint16_t virtual_key;   ///< Windows-style virtual-key code
};

/// The one table between Linux key codes and set-1 scan codes with their
/// extended flag and virtual key. It covers every key the key catalogue knows by
/// scan code; keys outside it are not reported by the hook.
class LinuxKeyMap {
 public:
  [[nodiscard]] static std::span<const LinuxKey> Entries();
  [[nodiscard]] static std::optional<LinuxKey> FromLinuxCode(std::uint16_t code);
  [[nodiscard]] static std::optional<std::uint16_t> ToLinuxCode(std::uint8_t scan_code, bool extended);
};

}  // namespace zt640::platform::input
