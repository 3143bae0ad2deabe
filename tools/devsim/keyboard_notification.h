#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zt640::devsim {

/// The reports the keyboard sends on its own, on the consumer-control
/// collection (report id 3): one 16-bit little-endian usage each.
class KeyboardNotification {
 public:
  static constexpr uint16_t kSync = 0x0401;          ///< "read my state again"
  static constexpr uint16_t kReload = 0x0402;        ///< "my profiles changed"
  static constexpr uint16_t kSlotBase = 0x1000;      ///< + active slot (0-15)
  static constexpr uint16_t kKeyDownBase = 0x0500;   ///< + device key
  static constexpr uint16_t kKeyUpBase = 0x0600;     ///< + device key
  static constexpr uint8_t kMaxSlot = 15;

  /// nullopt when the slot does not fit the report's low 4 bits.
  [[nodiscard]] static std::optional<uint16_t> Slot(unsigned slot);
  /// nullopt when the key does not fit the report's low byte.
  [[nodiscard]] static std::optional<uint16_t> Key(unsigned device_key, bool pressed);
  /// The input report as a hidraw read returns it: report id, usage low, usage high.
  [[nodiscard]] static std::array<uint8_t, 3> Report(uint16_t usage);
};

}  // namespace zt640::devsim
