#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
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

  /// While a link lives, every Set also calls its waker, so a thread blocked on
  /// something else (poll() on a descriptor, another event) learns of this event.
  class WakerLink {
   public:
    WakerLink(WakerLink&& other) noexcept;
    WakerLink(const WakerLink&) = delete;
    WakerLink& operator=(const WakerLink&) = delete;
    WakerLink& operator=(WakerLink&&) = delete;
    /// Unlinks: once it returns the waker is never called again.
    ~WakerLink();

   private:
    friend class Event;
    WakerLink(const Event* event, std::uint64_t id) : event_(event), id_(id) {}
    const Event* event_;
    std::uint64_t id_;
  };
  /// Links `waker`, calling it at once when the event is already set. It runs on the
  /// setting thread under this event's lock: it must be short and never use this event.
  [[nodiscard]] WakerLink LinkWaker(std::function<void()> waker) const;

 private:
  const Mode mode_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable bool signalled_;  ///< guarded by mutex_
  mutable std::map<std::uint64_t, std::function<void()>> wakers_;  ///< guarded by mutex_
  mutable std::uint64_t next_waker_ = 0;                            ///< guarded by mutex_
};

}  // namespace zt640::platform
