#pragma once

#include <QString>

class QWidget;

namespace zt640::ui {

/// Builds the skin file (a name under the skin folder) and lays it out as the
/// only child of host, filling it. Returns the built skin, or null (with a
/// diagnostic line naming `what`) when the file cannot be built; host then
/// stays empty.
[[nodiscard]] QWidget* EmbedSkin(QWidget* host, const QString& skin_file, const char* what);

}  // namespace zt640::ui
