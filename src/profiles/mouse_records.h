#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zt640 {

/// One DPI stage of the mouse; its device image is nine bytes.
struct DpiStage {
  uint8_t active = 0;     ///< the stage is enabled
  uint8_t separate_xy = 0;  ///< X and Y resolutions are set separately
  uint16_t dpi_x = 0;
  uint16_t dpi_y = 0;
  uint8_t red = 0;  ///< stage indicator colour
  uint8_t green = 0;
  uint8_t blue = 0;

  static constexpr size_t kSize = 9;
  static constexpr size_t kActiveOffset = 0;
  static constexpr size_t kSeparateXyOffset = 1;
  static constexpr size_t kDpiXOffset = 2;  ///< little-endian
  static constexpr size_t kDpiYOffset = 4;  ///< little-endian
  static constexpr size_t kRedOffset = 6;
  static constexpr size_t kGreenOffset = 7;
  static constexpr size_t kBlueOffset = 8;

  [[nodiscard]] std::array<uint8_t, kSize> ToBytes() const;
  [[nodiscard]] static DpiStage FromBytes(const std::array<uint8_t, kSize>& bytes);
  friend constexpr bool operator==(const DpiStage&, const DpiStage&) = default;
};

/// Pointer settings of the system and the report stage, six unsigned 16-bit
/// values in this order.
struct MouseOptions {
  uint16_t double_click_time = 0;
  uint16_t mouse_speed = 0;
  uint16_t pointer_precision = 0;
  uint16_t scroll_page = 0;
  uint16_t wheel_scroll_lines = 0;
  uint16_t report_stage = 0;

  /// The three 32-bit words callers exchange: DoubleClickTime | MouseSpeed << 16,
  /// PointerPrecision | ScorllPage << 16, WheelScorlllinse | report stage << 16.
  [[nodiscard]] std::array<uint32_t, 3> ToWords() const;
  [[nodiscard]] static MouseOptions FromWords(const std::array<uint32_t, 3>& words);
  friend constexpr bool operator==(const MouseOptions&, const MouseOptions&) = default;
};

/// A correction preset of the mouse sensor.
struct CorrectEntry {
  uint8_t pixel_threshold = 0;
  uint8_t minimum_square = 0;
  uint8_t selected = 0;
  std::string name;  ///< UTF-8
  friend bool operator==(const CorrectEntry&, const CorrectEntry&) = default;
};

}  // namespace zt640
