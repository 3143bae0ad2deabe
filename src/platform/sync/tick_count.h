#pragma once

#include <cstdint>

namespace zt640::platform {

/// Milliseconds since an arbitrary start on a monotonic clock; wraps like a 32-bit
/// tick counter, so compare intervals by unsigned subtraction.
[[nodiscard]] std::uint32_t GetTickCount();

/// Suspends the calling thread for `milliseconds`.
void Sleep(std::uint32_t milliseconds);

}  // namespace zt640::platform
