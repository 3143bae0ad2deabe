#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zt640::devsim {

/// The reports the mouse sends on its own, on the consumer-control collection
/// (report id 3): one 16-bit little-endian usage each.
class MouseNotification {
 public:
  static constexpr uint16_t kReRead = 0x0401;         ///< "read my settings again"
  static constexpr uint16_t kReactiveStart = 0x0403;  ///< a click for the reactive lighting
  static constexpr uint16_t kSlotBase = 0x1000;       ///< + active slot (low 4 bits)
  static constexpr uint16_t kStageBase = 0x1100;      ///< + stage * 16 + active slot
  static constexpr uint8_t kMaxSlot = 15;
  static constexpr uint8_t kMaxStage = 15;

  /// nullopt when the slot does not fit the report's low 4 bits.
  [[nodiscard]] static std::optional<uint16_t> Slot(unsigned slot);
  /// nullopt when the stage or slot does not fit its 4 bits.
  [[nodiscard]] static std::optional<uint16_t> Stage(unsigned stage, unsigned slot);
  /// The input report as a hidraw read returns it: report id, usage low, usage high.
  [[nodiscard]] static std::array<uint8_t, 3> Report(uint16_t usage);
};

}  // namespace zt640::devsim
