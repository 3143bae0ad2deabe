#pragma once

#include <cstdint>
#include <string>

namespace zt640 {

/// A "DisplayVersion" text as a number: every "." removed, the rest read as a
/// decimal number up to the first non-digit ("1.0.3" gives 103); 0 when it
/// starts with no digit.
[[nodiscard]] uint32_t ParseDisplayVersion(const std::string& text);

/// The installed application version: the version this build was made as,
/// read like a "DisplayVersion" text.
[[nodiscard]] uint32_t ReadInstalledVersion();

}  // namespace zt640
