#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "profiles/mouse_records.h"

namespace zt640 {

/// The mouse's 12-byte system settings record: the pointer settings of the
/// profile and the report rate index, six 16-bit values, low byte first.
/// Kept in the profile and shown; the desktop's own pointer settings are
/// never changed.
struct MouseSystemSettings {
  static constexpr size_t kSize = 12;
  static constexpr size_t kDoubleClick = 0;
  static constexpr size_t kPointerSpeed = 2;
  static constexpr size_t kPointerPrecision = 4;
  static constexpr size_t kScrollPage = 6;
  static constexpr size_t kWheelLines = 8;
  static constexpr size_t kReportRate = 10;

  [[nodiscard]] static std::array<uint8_t, kSize> ToBytes(const MouseOptions& options);
  [[nodiscard]] static MouseOptions FromBytes(const std::array<uint8_t, kSize>& bytes);
};

}  // namespace zt640
