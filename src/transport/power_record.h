#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zt640 {

/// The 6-byte power record that command 0x1A reads at offset 0.
struct PowerRecord {
  static constexpr size_t kSize = 6;
  static constexpr size_t kBatteryOffset = 0;     ///< percent
  static constexpr size_t kChargeStateOffset = 1; ///< 0, 1 or 2
  static constexpr size_t kViaReceiverOffset = 3; ///< set by the host after the read
  static constexpr size_t kPhoneTypeOffset = 5;

  std::array<uint8_t, kSize> bytes{};

  [[nodiscard]] uint8_t battery_percent() const { return bytes[kBatteryOffset]; }
  [[nodiscard]] uint8_t charge_state() const { return bytes[kChargeStateOffset]; }
  [[nodiscard]] uint8_t via_receiver() const { return bytes[kViaReceiverOffset]; }
  [[nodiscard]] uint8_t phone_type() const { return bytes[kPhoneTypeOffset]; }
};

static_assert(sizeof(PowerRecord) == PowerRecord::kSize);

}  // namespace zt640
