#pragma once

#include <string_view>

namespace zt640::platform {

/// Names the calling thread for `top -H`, `ps -L` and debuggers. The kernel keeps
/// 15 bytes; a longer name is cut there.
void NameThisThread(std::string_view name);

}  // namespace zt640::platform
