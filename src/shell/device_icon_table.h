#pragma once

#include <optional>
#include <string>

#include "catalogue/device_kind.h"

namespace zt640 {

/// The four icon names and the tooltip key of a selector entry.
struct DeviceIcons {
  std::string normal;
  std::string selected;
  std::string synchro_normal;
  std::string synchro_selected;
  std::string tooltip_key;
};

/// The icons of a device kind and variant; none for a mouse pad of a variant
/// other than 0 and 1, which keeps the entry's previous icons.
[[nodiscard]] std::optional<DeviceIcons> IconsForKind(DeviceKind kind, int variant);

}  // namespace zt640
