#include "audio_record_protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "block_pacer.h"
#include "capture_state.h"

namespace zt640::audiorecord {
namespace {

TEST(AudioRecordBlocks, SpectrumAndLevelBlocksAreLittleEndianInt32Images) {
  SpectrumBlock spectrum{};
  spectrum[0] = 1;
  spectrum[499] = -2;
  const std::vector<std::uint8_t> bytes = EncodeValues(spectrum);
  ASSERT_EQ(bytes.size(), 2000u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(EncodeValues(LevelBlock{0x01020304, 0, 0, 0, 0, 0}).size(), 24u);
  EXPECT_EQ(EncodeValues(LevelBlock{0x01020304, 0, 0, 0, 0, 0})[0], 0x04);
}

TEST(AudioRecordBlocks, LongerBlockIsCutShorterFillsWhatItHas) {
  LevelBlock levels{9, 9, 9, 9, 9, 9};
  std::vector<std::int32_t> seven{1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(DecodeValues(EncodeValues(seven), levels), 6u);
  EXPECT_EQ(levels, (LevelBlock{1, 2, 3, 4, 5, 6}));
  std::vector<std::uint8_t> short_block = EncodeValues(std::vector<std::int32_t>{-1, -2});
  short_block.push_back(0x55);  // a partial value is not used
  EXPECT_EQ(DecodeValues(short_block, levels), 2u);
  EXPECT_EQ(levels, (LevelBlock{-1, -2, 3, 4, 5, 6}));
}

TEST(AudioRecordStyle, StyleBlockCarriesRgbFirstClampedAndCutToFortyBytes) {
  struct Case {
    std::vector<std::int32_t> values;
    bool used;
    StyleWeights expected;
  };
  const StyleWeights before{.red = 4, .green = 5, .blue = 6};
  const std::vector<Case> cases = {
      {{9, 1, 0, 0, 0, 0, 0, 0, 0, 0}, true, {9, 1, 0}},       // the utility's 40-byte block
      {{9, 1, 0, 0, 0, 0, 0, 0, 0, 0, 77}, true, {9, 1, 0}},   // longer: cut
      {{2}, true, {2, 5, 6}},                                  // shorter: only what it holds
      {{-3, 300, 9}, true, {0, kMaxStyleWeight, 9}},           // out of range: clamped
      {{}, false, before},                                     // empty: ignored
  };
  for (const Case& c : cases) {
    StyleWeights weights = before;
    EXPECT_EQ(ApplyStyleBlock(EncodeValues(c.values), weights), c.used) << c.values.size();
    EXPECT_EQ(weights, c.expected) << c.values.size();
  }
}

TEST(CaptureState, ConnectAndDisconnectSequencesOfTheUtility) {
  CaptureState state;
  EXPECT_FALSE(state.sending());
  EXPECT_EQ(state.HandleCommand(0, 0x1234), 1);
  EXPECT_EQ(state.HandleCommand(3, 0), 1);
  EXPECT_EQ(state.HandleCommand(1, 0), 1);
  EXPECT_EQ(state.target(), 0x1234u);
  EXPECT_TRUE(state.connected() && state.sending() && state.capturing());
  EXPECT_EQ(state.reset_generation(), 1u);

  EXPECT_EQ(state.HandleCommand(2, 0), 1);
  EXPECT_FALSE(state.sending());
  EXPECT_EQ(state.HandleCommand(4, 0), 1);
  EXPECT_FALSE(state.capturing());
  EXPECT_EQ(state.HandleCommand(5, 0), 1);
  EXPECT_FALSE(state.connected());
  EXPECT_EQ(state.target(), 0u);

  EXPECT_EQ(state.HandleCommand(6, 7), 1);
  EXPECT_EQ(state.HandleCommand(7, -1), 1);
  EXPECT_EQ(state.HandleCommand(8, 1000), 1);
  EXPECT_EQ(state.style(), (StyleWeights{7, 0, kMaxStyleWeight}));
  EXPECT_EQ(state.HandleCommand(9, 0), 0);
  EXPECT_EQ(state.HandleCopyData(1, EncodeValues(std::vector<std::int32_t>{1, 2, 3})), 0);
  EXPECT_EQ(state.HandleCopyData(10, EncodeValues(std::vector<std::int32_t>{1, 2, 3})), 1);
  EXPECT_EQ(state.style(), (StyleWeights{1, 2, 3}));
}

TEST(BlockPacer, ThirtyBlocksEverySecondWithoutDriftOrBurst) {
  using namespace std::chrono_literals;
  const auto start = BlockPacer::Clock::time_point{} + 5s;
  BlockPacer pacer(start, 30);
  // Each block goes out a little late; the rate still holds: 30 in the first second.
  auto now = start;
  while (pacer.NextDeadline() < start + 1s) {
    now = pacer.NextDeadline() + 3ms;
    EXPECT_EQ(pacer.Advance(now), 0u);
  }
  EXPECT_EQ(pacer.blocks(), 30u);
  EXPECT_EQ(pacer.NextDeadline(), start + 1s);
  // 300 seconds on, exactly 9000 slots have passed.
  for (int i = 0; i < 8970; ++i) pacer.Advance(pacer.NextDeadline());
  EXPECT_EQ(pacer.NextDeadline(), start + 300s);
  // A stall of half a second skips the missed slots instead of sending them in a burst.
  EXPECT_EQ(pacer.Advance(pacer.NextDeadline() + 500ms), 15u);
  EXPECT_EQ(pacer.blocks(), 9001u);
}

}  // namespace
}  // namespace zt640::audiorecord
