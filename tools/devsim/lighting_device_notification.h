#pragma once

#include <array>
#include <cstdint>

namespace zt640::devsim {

/// The report the mouse pad and the headset send on their own on their
/// consumer-control report (id 3): one 16-bit little-endian usage.
class LightingDeviceNotification {
 public:
  static constexpr uint16_t kReRead = 0x0401;  ///< "read my settings record again"
  static constexpr uint8_t kReportId = 3;

  [[nodiscard]] static std::array<uint8_t, 3> Report(uint16_t usage) {
    return {kReportId, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
  }
};

}  // namespace zt640::devsim
