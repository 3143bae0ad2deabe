#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace zt640::test {

/// Polls `done` until it holds or `limit` has passed; true as soon as it holds.
/// Tests wait with it on the state that shows another thread's work is done,
/// never for a fixed time.
[[nodiscard]] inline bool WaitUntil(const std::function<bool()>& done,
                                    std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace zt640::test
