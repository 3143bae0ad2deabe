#include <gtest/gtest.h>

#include <optional>

#include "platform/sync/event.h"

namespace zt640::platform {
namespace {

TEST(Event_LinkWaker, CalledOnEverySetWhileLinkedAndAtOnceWhenAlreadySet) {
  Event event(Event::Mode::kAutoReset);
  int calls = 0;
  std::optional<Event::WakerLink> link(event.LinkWaker([&] { ++calls; }));
  EXPECT_EQ(calls, 0);
  event.Set();
  event.Set();
  EXPECT_EQ(calls, 2);
  // The waker does not consume the signal meant for the event's own waiters.
  EXPECT_TRUE(event.Wait(0));

  link.reset();
  event.Set();
  EXPECT_EQ(calls, 2);

  // Linking to an event that is set already wakes at once: no Set is missed.
  int late_calls = 0;
  const Event::WakerLink late = event.LinkWaker([&] { ++late_calls; });
  EXPECT_EQ(late_calls, 1);
}

}  // namespace
}  // namespace zt640::platform
