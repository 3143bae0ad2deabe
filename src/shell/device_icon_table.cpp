#include "shell/device_icon_table.h"

namespace zt640 {

namespace {
DeviceIcons Named(const std::string& stem, const char* tooltip) {
  const std::string base = "common/device_ico/" + stem;
  return {base + "_device_normal.png", base + "_device_selected.png", base + "_device_synchro_normal.png",
          base + "_device_synchro_selected.png", tooltip};
}
}  // namespace

std::optional<DeviceIcons> IconsForKind(DeviceKind kind, int variant) {
  switch (kind) {
    case DeviceKind::kKeyboard:
      return Named("kb", "kb_device_name_text");
    case DeviceKind::kMouse:
      return Named("ms", "ms_device_name_text");
    case DeviceKind::kMousePad:
      if (variant == 0) return Named("hard_mp", "hard_mp_device_name_text");
      if (variant == 1) return Named("soft_mp", "soft_mp_device_name_text");
      return std::nullopt;
    case DeviceKind::kOtherHeadset:
    case DeviceKind::kHeadset:
      return Named("hd", "hd_device_name_text");
    case DeviceKind::kHub:
      return Named("hub", "hub_device_name_text");
    default:
      return Named("unknow", "unknow_device_name_text");
  }
}

}  // namespace zt640
