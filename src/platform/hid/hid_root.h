#pragma once

#include <string>

namespace zt640::platform {

/// Folder under which HID devices are looked up ("sys/class/hidraw" and "dev"):
/// the environment variable ZT640_HID_ROOT when set and not empty, else "/".
/// Read at every call so tests and the simulator can point it elsewhere.
[[nodiscard]] std::string HidRoot();

/// root joined with a path that starts with '/', without doubling the slash
/// ("/" + "/dev/hidraw0" gives "/dev/hidraw0").
[[nodiscard]] std::string JoinHidRoot(const std::string& root, const std::string& absolute);

}  // namespace zt640::platform
