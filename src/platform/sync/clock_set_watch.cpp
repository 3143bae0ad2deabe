#include "platform/sync/clock_set_watch.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace zt640::platform {

ClockSetWatch::ClockSetWatch() {
  fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ >= 0 && !Arm()) {
    close(fd_);
    fd_ = -1;
  }
}

ClockSetWatch::~ClockSetWatch() {
  if (fd_ >= 0) close(fd_);
}

// An absolute expiry at the far end of the clock's range never fires by itself;
// with TFD_TIMER_CANCEL_ON_SET a clock set (or a resume) cancels it, and the next
// read fails with ECANCELED.
bool ClockSetWatch::Arm() {
  itimerspec spec{};
  spec.it_value.tv_sec = static_cast<time_t>(INT32_MAX);
  return timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

bool ClockSetWatch::Consume() {
  if (fd_ < 0) return false;
  std::uint64_t expirations = 0;
  const ssize_t got = read(fd_, &expirations, sizeof expirations);
  const bool cancelled = got < 0 && errno == ECANCELED;
  if (cancelled) (void)Arm();  // a failed re-arm leaves the descriptor quiet, as without the watch
  return cancelled;
}

}  // namespace zt640::platform
