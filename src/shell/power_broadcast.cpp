#include "shell/power_broadcast.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <time.h>

#include "platform/diag/debug_output.h"
#include "platform/ipc/message_queue.h"

namespace zt640 {

namespace {
std::int64_t ClockMs(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
}  // namespace

PowerBroadcast::PowerBroadcast(platform::MessageQueue& queue, QObject* parent) : QObject(parent), queue_(queue) {
  clock_timer_.setInterval(kClockWatchPeriodMs);
  connect(&clock_timer_, &QTimer::timeout, this, &PowerBroadcast::ReadClocks);
}

PowerBroadcast::Source PowerBroadcast::Start() {
  QDBusConnection bus = QDBusConnection::systemBus();
  const bool logind = bus.isConnected() && bus.interface() != nullptr &&
                      bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
  if (logind && bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                            SLOT(OnPrepareForSleep(bool)))) {
    source_ = Source::kLogind;
    return source_;
  }
  platform::DebugOutput("no logind on the system bus: suspend is noticed by the clock watch on resume");
  source_ = Source::kClockWatch;
  ReadClocks();
  if (clock_set_.fd() >= 0) {
    clock_set_notifier_ = std::make_unique<QSocketNotifier>(clock_set_.fd(), QSocketNotifier::Read);
    connect(clock_set_notifier_.get(), &QSocketNotifier::activated, this, &PowerBroadcast::OnClockSet);
  } else {
    clock_timer_.start();
  }
  return source_;
}

void PowerBroadcast::OnClockSet() {
  if (clock_set_.Consume()) ReadClocks();
}

void PowerBroadcast::OnPrepareForSleep(bool start) { Post(start ? kSuspend : kResumeAutomatic); }

void PowerBroadcast::ReadClocks() { CheckClocks(ClockMs(CLOCK_MONOTONIC), ClockMs(CLOCK_BOOTTIME)); }

void PowerBroadcast::CheckClocks(std::int64_t monotonic_ms, std::int64_t boottime_ms) {
  if (last_monotonic_ms_ >= 0) {
    const std::int64_t slept = (boottime_ms - last_boottime_ms_) - (monotonic_ms - last_monotonic_ms_);
    if (slept > kSleepGapMs) {
      Post(kSuspend);
      Post(kResumeAutomatic);
    }
  }
  last_monotonic_ms_ = monotonic_ms;
  last_boottime_ms_ = boottime_ms;
}

void PowerBroadcast::Post(std::uint64_t event) {
  platform::WindowMessage message;
  message.message = kWmPowerBroadcast;
  message.wparam = event;
  (void)queue_.Post(message);  // closed only while the window goes away
}

}  // namespace zt640
