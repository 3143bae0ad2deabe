#pragma once

#include <QIcon>

namespace zt640 {

/// The application and tray icon: a keycap with an RGB light bar, drawn at run time.
[[nodiscard]] QIcon ProductIcon();

}  // namespace zt640
