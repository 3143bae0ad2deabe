#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/sync/event.h"

namespace zt640 {

/// One background thread with a manual-reset stop event. The body gets the
/// stop event and must return once it is set. Whatever the body uses must be
/// owned by the body itself (shared pointers captured by value): a thread that
/// does not end within Stop's wait is detached and keeps running on its own.
class WorkerThread {
 public:
  using Body = std::function<void(const platform::Event& stop)>;
  enum class StopOutcome { kNotRunning, kEnded, kTimedOut };

  WorkerThread() = default;
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  /// Stops a running thread (as Stop with `wait`), then starts `body`.
  void Start(std::string name, Body body, std::chrono::milliseconds wait = std::chrono::milliseconds(1000));
  /// Sets the stop event and waits up to `wait` for the body to return. A
  /// thread still running is detached; one diagnostic line tells which.
  StopOutcome Stop(std::chrono::milliseconds wait);
  [[nodiscard]] bool Running() const { return thread_.joinable(); }

 private:
  struct Shared {
    platform::Event stop{platform::Event::Mode::kManualReset};
    platform::Event finished{platform::Event::Mode::kManualReset};
  };

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  std::string name_;
  std::chrono::milliseconds last_wait_{1000};
};

}  // namespace zt640
