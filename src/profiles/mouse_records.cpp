#include "profiles/mouse_records.h"

#include "transport/byte_order.h"

namespace zt640 {

std::array<uint8_t, DpiStage::kSize> DpiStage::ToBytes() const {
  std::array<uint8_t, kSize> bytes{};
  bytes[kActiveOffset] = active;
  bytes[kSeparateXyOffset] = separate_xy;
  StoreLe16(bytes.data() + kDpiXOffset, dpi_x);
  StoreLe16(bytes.data() + kDpiYOffset, dpi_y);
  bytes[kRedOffset] = red;
  bytes[kGreenOffset] = green;
  bytes[kBlueOffset] = blue;
  return bytes;
}

DpiStage DpiStage::FromBytes(const std::array<uint8_t, kSize>& bytes) {
  return DpiStage{bytes[kActiveOffset],
                  bytes[kSeparateXyOffset],
                  LoadLe16(bytes.data() + kDpiXOffset),
                  LoadLe16(bytes.data() + kDpiYOffset),
                  bytes[kRedOffset],
                  bytes[kGreenOffset],
                  bytes[kBlueOffset]};
}

std::array<uint32_t, 3> MouseOptions::ToWords() const {
  return {static_cast<uint32_t>(double_click_time | mouse_speed << 16),
          static_cast<uint32_t>(pointer_precision | scroll_page << 16),
          static_cast<uint32_t>(wheel_scroll_lines | report_stage << 16)};
}

MouseOptions MouseOptions::FromWords(const std::array<uint32_t, 3>& words) {
  return MouseOptions{static_cast<uint16_t>(words[0]), static_cast<uint16_t>(words[0] >> 16),
                      static_cast<uint16_t>(words[1]), static_cast<uint16_t>(words[1] >> 16),
                      static_cast<uint16_t>(words[2]), static_cast<uint16_t>(words[2] >> 16)};
}

}  // namespace zt640
