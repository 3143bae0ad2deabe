// What the lighting worker tells a frame listener after each pass.
#include "devices/kalvex_usb_device.h"

#include <gtest/gtest.h>

#include <vector>

namespace zt640 {
namespace {

TEST(LightingCoreFrames, ADeclinedFrameIsOfferedAgainUntilTaken) {
  LightingCore core(nullptr);
  std::vector<bool> answers;  // what the listener answers, call by call
  int calls = 0;
  core.frame_listeners.emplace_back(&core, [&] { return answers.at(static_cast<std::size_t>(calls++)); });
  const std::vector<ZoneColour> red(4, ZoneColour{255, 0, 0, 255});
  const std::vector<ZoneColour> blue(4, ZoneColour{0, 0, 255, 255});

  // OfferFrame answers whether a frame still waits, so the worker wakes for the next tick.
  answers = {false, true};
  EXPECT_TRUE(core.OfferFrame(red));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(core.OfferFrame(red));  // unchanged, but the listener has not taken it yet
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(core.OfferFrame(red));  // taken: nothing new to tell
  EXPECT_EQ(calls, 2);

  answers.push_back(true);
  EXPECT_FALSE(core.OfferFrame(blue));
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(core.OfferFrame(blue));
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace zt640
