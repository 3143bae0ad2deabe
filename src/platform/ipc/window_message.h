#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt640::platform {

/// Standard message numbers that travel between windows.
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCopyData = 0x004A;
inline constexpr std::uint32_t kWmTimer = 0x0113;

/// Registered message ids lie in this range; ids below it are fixed numbers.
inline constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr std::uint32_t kLastRegisteredMessage = 0xFFFF;

/// Largest copy-data block accepted by a window; bigger blocks are refused by the sender
/// and dropped unread by the receiver.
inline constexpr std::size_t kMaxCopyDataBytes = 256 * 1024;

/// One window message: the number (a registered id in this process, or a fixed
/// number), its two parameters and, for `kWmCopyData`, the copied block and its kind
/// (the design's dwData).
struct WindowMessage {
  std::uint32_t message = 0;
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;
  std::uint64_t copy_data_kind = 0;
  std::vector<std::uint8_t> copy_data;
};

}  // namespace zt640::platform
