#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "platform/sync/clock_set_watch.h"

namespace zt640 {

namespace platform {
class MessageQueue;
}

/// Tells the main window that the system suspends and resumes, as the power
/// broadcast message with wParam 4 (suspend) or 0x12 (automatic resume).
///
/// The source is logind's PrepareForSleep signal on the system bus (true before
/// sleeping, false after waking). Without a system bus or logind, a clock watch
/// stands in: every 2 s it compares the boot-time clock, which runs on during a
/// suspend, with the monotonic clock, which stops; a gap of more than 3 s means
/// the system slept, and suspend and resume are delivered together on waking.
class PowerBroadcast : public QObject {
  Q_OBJECT
 public:
  static constexpr std::uint32_t kWmPowerBroadcast = 0x0218;
  static constexpr std::uint64_t kSuspend = 4;
  static constexpr std::uint64_t kResumeAutomatic = 0x12;
  static constexpr int kClockWatchPeriodMs = 2000;
  static constexpr std::int64_t kSleepGapMs = 3000;

  enum class Source { kLogind, kClockWatch };

  PowerBroadcast(platform::MessageQueue& queue, QObject* parent = nullptr);

  /// Connects to logind, or starts the clock watch when that is not possible.
  Source Start();
  [[nodiscard]] Source ActiveSource() const { return source_; }

  /// One clock watch reading (milliseconds of each clock); posts suspend and
  /// resume when the boot-time clock ran ahead by more than the gap.
  void CheckClocks(std::int64_t monotonic_ms, std::int64_t boottime_ms);

 public slots:
  /// logind's PrepareForSleep(start).
  void OnPrepareForSleep(bool start);

 private:
  void Post(std::uint64_t event);
  void ReadClocks();
  void OnClockSet();

  platform::MessageQueue& queue_;
  QTimer clock_timer_;
  platform::ClockSetWatch clock_set_;
  std::unique_ptr<QSocketNotifier> clock_set_notifier_;
  Source source_ = Source::kClockWatch;
  std::int64_t last_monotonic_ms_ = -1;
  std::int64_t last_boottime_ms_ = -1;
};

}  // namespace zt640
