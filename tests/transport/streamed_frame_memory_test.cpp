#include <gtest/gtest.h>

#include <array>
#include <chrono>

#include "transport/streamed_frame_memory.h"

namespace zt640 {
namespace {

using namespace std::chrono_literals;

TEST(StreamedFrameMemory, HeldBytesExpireWithTheRefreshPeriod) {
  StreamedFrameMemory memory;
  const std::array<uint8_t, 4> bytes = {1, 2, 3, 4};
  const StreamedFrameMemory::Clock::time_point start{10s};
  memory.BeginFrame(start);
  EXPECT_FALSE(memory.Holds(8, bytes));
  memory.Acknowledged(8, bytes);
  EXPECT_TRUE(memory.Holds(8, bytes));
  // Partly outside what was acknowledged, or at another offset: not held.
  EXPECT_FALSE(memory.Holds(6, bytes));
  EXPECT_FALSE(memory.Holds(10, bytes));

  memory.BeginFrame(start + 999ms);
  EXPECT_TRUE(memory.Holds(8, bytes));
  // Once a second everything goes again, so a device that lost the stream recovers.
  memory.BeginFrame(start + 1000ms);
  EXPECT_FALSE(memory.Holds(8, bytes));

  memory.Acknowledged(8, bytes);
  memory.Unknown(9, 1);
  EXPECT_FALSE(memory.Holds(8, bytes));
  EXPECT_TRUE(memory.Holds(10, std::span(bytes).subspan(2)));
}

}  // namespace
}  // namespace zt640
