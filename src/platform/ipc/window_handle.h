#pragma once

#include <cstdint>
#include <optional>

#include "platform/ipc/ipc_client.h"
#include "platform/ipc/window_address.h"

namespace zt640::platform {

/// A window's handle as it travels in a message parameter: the 64-bit name hash of its
/// socket file name, so a process can pass "its window" to another one (as the main
/// window does with the capture process) and the receiver can find the window again.
/// Never 0, which stands for "no window".
[[nodiscard]] std::uint64_t WindowHandleOf(const WindowAddress& window);

/// The live window in `client`'s runtime folder whose handle is `handle`, or nothing.
[[nodiscard]] std::optional<WindowAddress> FindWindowByHandle(const IpcClient& client, std::uint64_t handle);

}  // namespace zt640::platform
