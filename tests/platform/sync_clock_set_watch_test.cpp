#include <gtest/gtest.h>
#include <poll.h>

#include <ctime>

#include "platform/sync/clock_set_watch.h"

namespace zt640::platform {
namespace {

bool Readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

TEST(ClockSetWatch, QuietUntilTheClockIsSetThenReArmed) {
  ClockSetWatch watch;
  ASSERT_GE(watch.fd(), 0);
  EXPECT_FALSE(Readable(watch.fd()));
  EXPECT_FALSE(watch.Consume()) << "nothing happened: no report, and no blocking read";

  // Setting the clock to its own time is a clock set the kernel reports; it needs
  // the right to set the clock, which a test run usually lacks.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  if (clock_settime(CLOCK_REALTIME, &now) != 0) GTEST_SKIP() << "no right to set the clock here";
  EXPECT_TRUE(Readable(watch.fd()));
  EXPECT_TRUE(watch.Consume());
  EXPECT_FALSE(Readable(watch.fd())) << "re-armed: quiet again until the next set";
  EXPECT_FALSE(watch.Consume());
}

}  // namespace
}  // namespace zt640::platform
