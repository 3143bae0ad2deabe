#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transport/byte_order.h"

namespace zt640 {

/// The 34-byte device information record that command 0x03 returns. Bytes the
/// host does not interpret are kept as they came.
struct DeviceInfoRecord {
  static constexpr size_t kSize = 34;
  static constexpr size_t kKeyCountOffset = 5;
  static constexpr size_t kMacroCapacityOffset = 6;  ///< in units of 128 bytes
  static constexpr size_t kSensorOffset = 9;         ///< 16-bit LE
  static constexpr size_t kDpiStepOffset = 11;
  static constexpr size_t kDpiMaxOffset = 12;        ///< 16-bit LE, number of DPI steps
  static constexpr size_t kDpiBaseOffset = 14;       ///< 16-bit LE
  static constexpr unsigned kMacroCapacityUnit = 128;

  std::array<uint8_t, kSize> bytes{};

  [[nodiscard]] uint8_t key_count() const { return bytes[kKeyCountOffset]; }
  [[nodiscard]] uint8_t macro_capacity_units() const { return bytes[kMacroCapacityOffset]; }
  [[nodiscard]] unsigned macro_capacity_bytes() const {
    return macro_capacity_units() * kMacroCapacityUnit;
  }
  [[nodiscard]] uint16_t sensor() const { return LoadLe16(&bytes[kSensorOffset]); }
  [[nodiscard]] uint8_t dpi_step() const { return bytes[kDpiStepOffset]; }
  [[nodiscard]] uint16_t dpi_max() const { return LoadLe16(&bytes[kDpiMaxOffset]); }
  [[nodiscard]] uint16_t dpi_base() const { return LoadLe16(&bytes[kDpiBaseOffset]); }
};

static_assert(sizeof(DeviceInfoRecord) == DeviceInfoRecord::kSize);

}  // namespace zt640
