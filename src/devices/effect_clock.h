#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace zt640 {

/// The one time source of the host effects. Effects advance by counting
/// changes of a coarse system tick, as the keyboard's firmware paces its own
/// effects; the tick period is chosen so the host preview runs at the
/// keyboard's pace (64 ticks a second: 15.625 ms, the classic system tick).
/// Tests inject a clock and step it.
class EffectClock {
 public:
  /// Monotonic time in microseconds.
  using Source = std::function<uint64_t()>;

  static constexpr std::chrono::microseconds kTickPeriod{15625};

  /// The steady system clock.
  EffectClock();
  explicit EffectClock(Source source);

  [[nodiscard]] uint64_t NowMicroseconds() const { return source_(); }
  [[nodiscard]] uint32_t NowMilliseconds() const {
    return static_cast<uint32_t>(source_() / 1000);
  }
  /// The tick count: whole tick periods since the clock's epoch.
  [[nodiscard]] uint64_t Tick() const {
    return source_() / static_cast<uint64_t>(kTickPeriod.count());
  }
  /// Time left until the tick changes, at least 1 ms.
  [[nodiscard]] std::chrono::milliseconds UntilNextTick() const { return UntilTickChanges(1); }
  /// Time left until the tick has changed `changes` times (at least once), at least 1 ms.
  [[nodiscard]] std::chrono::milliseconds UntilTickChanges(uint64_t changes) const;

 private:
  Source source_;
};

}  // namespace zt640
