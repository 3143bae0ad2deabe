#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace zt640::platform {

/// A signalled/non-signalled flag threads wait on, like the design's event objects.
/// A manual-reset event stays signalled until `Reset`; an auto-reset event lets exactly
/// one waiter through per `Set` and clears itself.
class Event {
 public:
  enum class Mode { kManualReset, kAutoReset };

  explicit Event(Mode mode = Mode::kManualReset, bool initially_set = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();

  /// Waits until the event is signalled or `timeout_ms` passes (negative: forever).
  /// Returns true when signalled (an auto-reset event is then cleared).
  [[nodiscard]] bool Wait(std::int64_t timeout_ms) const;

  /// True while signalled; never clears an auto-reset event.
  [[nodiscard]] bool IsSet() const;

 private:
  const Mode mode_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable bool signalled_;  ///< guarded by mutex_
};

}  // namespace zt640::platform
