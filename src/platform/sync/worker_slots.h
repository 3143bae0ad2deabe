#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync/event.h"

namespace zt640::platform {

/// A fixed table of worker slots, each with a manual-reset stop event (created
/// non-signalled with the table) and at most one thread. Workers poll their stop event;
/// the owner stops them all with `StopAll`. A thread that does not end in time cannot be
/// killed safely on Linux, so it is detached and reported instead.
class WorkerSlots {
 public:
  using Body = std::function<void(const Event& stop)>;

  struct StopReport {
    std::vector<std::size_t> joined;    ///< slots whose thread ended in time
    std::vector<std::size_t> detached;  ///< slots whose thread ignored its stop event
  };

  explicit WorkerSlots(std::size_t count);
  WorkerSlots(const WorkerSlots&) = delete;
  WorkerSlots& operator=(const WorkerSlots&) = delete;
  /// Stops every running worker (1000 ms per slot) if `StopAll` was not called.
  ~WorkerSlots();

  /// Runs `body` on a new thread in slot `index`, handing it the slot's stop event.
  /// Fails when the index is out of range, the slot already has a thread, or the table
  /// has been stopped.
  [[nodiscard]] bool Start(std::size_t index, std::string name, Body body);

  /// The slot's stop event, or null for an index out of range.
  [[nodiscard]] const Event* StopEvent(std::size_t index) const;

  [[nodiscard]] bool HasThread(std::size_t index) const;
  [[nodiscard]] std::size_t size() const { return slots_.size(); }

  /// Sets every stop event first, then waits for each slot's thread in slot order for
  /// at most `per_slot`; a thread still running after its wait is detached and logged.
  /// Afterwards the table is empty and refuses new workers.
  StopReport StopAll(std::chrono::milliseconds per_slot);

 private:
  /// Shared with the worker thread so a detached thread never touches freed memory.
  struct SlotState {
    Event stop{Event::Mode::kManualReset};
    Event finished{Event::Mode::kManualReset};
  };
  struct Slot {
    std::shared_ptr<SlotState> state;
    std::thread thread;
    std::string name;
  };

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;  ///< guarded by mutex_ (thread and name members)
  bool stopped_ = false;     ///< guarded by mutex_
};

}  // namespace zt640::platform
