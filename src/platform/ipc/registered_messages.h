#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt640::platform {

/// Registers a window message by name for this process and returns its id in
/// 0xC000..0xFFFF; the same name always yields the same id. Returns 0 for an empty
/// name, a name with a NUL or longer than 255 bytes, or a full table. Thread-safe.
/// Ids are private to the process: between processes a message travels by its name.
[[nodiscard]] std::uint32_t RegisterWindowMessage(std::string_view name);

/// The id of an already registered name, or 0; never registers.
[[nodiscard]] std::uint32_t FindRegisteredMessage(std::string_view name);

/// The name behind a registered id, or nothing for an id that is not registered.
[[nodiscard]] std::optional<std::string> RegisteredMessageName(std::uint32_t id);

/// Longest message name accepted.
inline constexpr std::size_t kMaxMessageNameBytes = 255;

}  // namespace zt640::platform
