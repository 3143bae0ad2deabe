#pragma once

#include <string_view>

namespace zt640::platform {

/// Writes one diagnostic line (UTF-8, a line end is added) to stderr when the
/// environment variable ZT640_DEBUG is "1"; otherwise does nothing. Safe to call
/// from any thread; lines from different threads never interleave.
void DebugOutput(std::string_view line);

/// True when diagnostics are switched on (ZT640_DEBUG=1, read once).
[[nodiscard]] bool DebugOutputEnabled();

}  // namespace zt640::platform
