// The capture process's blocks as the main window's socket thread takes them.
#include "audio/audio_block_route.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace zt640 {
namespace {

platform::WindowMessage Block(std::uint64_t kind, std::size_t values, std::int32_t value) {
  platform::WindowMessage message;
  message.message = platform::kWmCopyData;
  message.copy_data_kind = kind;
  for (std::size_t i = 0; i < values; ++i) {
    for (int b = 0; b < 4; ++b) message.copy_data.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
  }
  return message;
}

TEST(AudioBlockRoute, TakesOnlyCopyDataAndOnlyWhileOpen) {
  struct Case {
    const char* name;
    bool open;
    platform::WindowMessage message;
    std::optional<std::int64_t> result;
    std::int32_t first_level;  ///< the receiver's first level value afterwards
  };
  platform::WindowMessage other;
  other.message = 3093;
  const Case cases[] = {
      {"another message goes its usual way", true, other, std::nullopt, 0},
      {"closed: answered 0, nothing kept", false, Block(2, 6, 7), 0, 0},
      {"a level block", true, Block(2, 6, 7), 1, 7},
      {"a level block cut to its six values", true, Block(2, 9, 5), 1, 5},
      {"a block of another kind", true, Block(5, 6, 7), 0, 0},
      {"an empty block", true, Block(2, 0, 7), 0, 0},
      {"a spectrum block", true, Block(1, 500, 3), 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AudioBlockRoute route;  // no keyboard: the values are dropped after the receiver
    route.SetOpen(c.open);
    EXPECT_EQ(route.Take(c.message), c.result);
    EXPECT_EQ(route.Blocks().Levels()[0], c.first_level);
  }
}

}  // namespace
}  // namespace zt640
