#pragma once

#include <string>
#include <string_view>

namespace zt640::platform {

/// The folder holding the running executable, without a trailing separator
/// (empty when /proc/self/exe cannot be read).
[[nodiscard]] std::string ProgramFolder();

/// A resource folder shipped with the program ("DefaultData", "skin", "Font", "SDK"):
/// beside the executable when it exists there, else in ../share/zt640/ (an installed
/// layout); the beside-the-program path when neither exists. No trailing separator.
[[nodiscard]] std::string ResourceFolder(std::string_view name);

/// The same lookup from an explicit program folder (for tests).
[[nodiscard]] std::string ResourceFolderFrom(const std::string& program_folder, std::string_view name);

/// The user data root: `$XDG_DATA_HOME` (default ~/.local/share) + "/" + product title,
/// created when missing. Empty when no home folder is known or it cannot be created.
[[nodiscard]] std::string UserDataRoot();

/// The per-user configuration folder: `$XDG_CONFIG_HOME` (default ~/.config) + "/zt640".
/// Not created here.
[[nodiscard]] std::string UserConfigFolder();

}  // namespace zt640::platform
