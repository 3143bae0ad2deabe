#include "devices/mouse/mouse_system_settings.h"

#include "transport/byte_order.h"

namespace zt640 {

std::array<uint8_t, MouseSystemSettings::kSize> MouseSystemSettings::ToBytes(const MouseOptions& options) {
  std::array<uint8_t, kSize> bytes{};
  StoreLe16(&bytes[kDoubleClick], options.double_click_time);
  StoreLe16(&bytes[kPointerSpeed], options.mouse_speed);
  StoreLe16(&bytes[kPointerPrecision], options.pointer_precision);
  StoreLe16(&bytes[kScrollPage], options.scroll_page);
  StoreLe16(&bytes[kWheelLines], options.wheel_scroll_lines);
  StoreLe16(&bytes[kReportRate], options.report_stage);
  return bytes;
}

MouseOptions MouseSystemSettings::FromBytes(const std::array<uint8_t, kSize>& bytes) {
  return MouseOptions{LoadLe16(&bytes[kDoubleClick]),      LoadLe16(&bytes[kPointerSpeed]),
                      LoadLe16(&bytes[kPointerPrecision]), LoadLe16(&bytes[kScrollPage]),
                      LoadLe16(&bytes[kWheelLines]),       LoadLe16(&bytes[kReportRate])};
}

}  // namespace zt640
