#pragma once

#include <QIcon>

namespace zt640 {

/// The application and tray icon: a keycap with an RGB light bar, drawn at run time
/// at the size asked for, when it is first asked for (a start that shows no icon,
/// or only one size of it, draws nothing more).
[[nodiscard]] QIcon ProductIcon();

}  // namespace zt640
