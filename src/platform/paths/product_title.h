#pragma once

#include <string_view>

namespace zt640::platform {

/// The product title: main window title, single-instance mutex name, activation message
/// name, tray tooltip, settings key and user data folder name.
inline constexpr std::string_view kProductTitle = "ZT640 有线RGB Keyboard";

/// The short product word used for per-user configuration and runtime folders.
inline constexpr std::string_view kProductWord = "zt640";

}  // namespace zt640::platform
