#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zt640::platform {

/// 64-bit FNV-1a of the UTF-8 bytes: a stable, short file-name-safe stand-in for names
/// (window titles, mutex names) that may hold spaces and non-ASCII text.
[[nodiscard]] std::uint64_t NameHash(std::string_view name);

/// `NameHash` as 16 lower-case hex digits.
[[nodiscard]] std::string NameHashHex(std::string_view name);

}  // namespace zt640::platform
