#pragma once

#include <QIcon>
#include <string>

namespace zt640 {

/// Draws the selector icon named like "common/device_ico/kb_device_synchro_selected.png":
/// the device glyph (keyboard, mouse, mouse pad, headset, hub or unknown) in the
/// selected or normal colour, with a ring when it is a synchro icon.
[[nodiscard]] QIcon DrawDeviceIcon(const std::string& name, int size = 40);

}  // namespace zt640
