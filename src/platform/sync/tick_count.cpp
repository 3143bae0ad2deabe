#include "platform/sync/tick_count.h"

#include <chrono>
#include <thread>

namespace zt640::platform {

std::uint32_t GetTickCount() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

void Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace zt640::platform
