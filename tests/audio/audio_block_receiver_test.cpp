// The capture process's blocks as the keyboard receives them: the reduction of the
// spectrum to 25 values and the hand-over of the levels.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "audio/audio_block_receiver.h"

namespace zt640 {
namespace {

std::vector<std::uint8_t> Encode(const std::vector<std::int32_t>& values) {
  std::vector<std::uint8_t> bytes;
  for (const std::int32_t value : values) {
    const auto word = static_cast<std::uint32_t>(value);
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
  }
  return bytes;
}

std::vector<std::int32_t> Filled(std::size_t count, std::int32_t value) { return std::vector<std::int32_t>(count, value); }

/// Records what the keyboard would be fed.
struct Fed {
  std::vector<std::vector<std::int32_t>> spectra;
  std::vector<std::vector<std::int32_t>> levels;
  AudioBlockReceiver::Feed Spectrum() {
    return [this](std::span<const std::int32_t> v) { spectra.emplace_back(v.begin(), v.end()); };
  }
  AudioBlockReceiver::Feed Levels() {
    return [this](std::span<const std::int32_t> v) { levels.emplace_back(v.begin(), v.end()); };
  }
};

struct ReductionCase {
  const char* name;
  std::vector<std::vector<std::int32_t>> blocks;  ///< spectrum blocks in order
  std::vector<std::int32_t> expected;             ///< the 25 values after the last block
};

/// value i at index i: the first block is compared with zeros, so group j sums
/// 5j + (5j+1) + (5j+2) + (5j+3) = 20j + 6, and (0 + 20j + 6) / 4 truncates to 5j + 1.
std::vector<std::int32_t> Ramp() {
  std::vector<std::int32_t> block(500);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::int32_t>(i);
  return block;
}

std::vector<std::int32_t> RampMeans() {
  std::vector<std::int32_t> means(25);
  for (std::size_t j = 0; j < means.size(); ++j) means[j] = static_cast<std::int32_t>(5 * j + 1);
  return means;
}

/// Only the fifth value of each group moves: it takes no part.
std::vector<std::int32_t> FifthOnly() {
  std::vector<std::int32_t> block(500, 0);
  for (std::size_t j = 0; j < 100; ++j) block[5 * j + 4] = 1000;
  return block;
}

class AudioSpectrumReduction : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(AudioSpectrumReduction, GivesTheExpectedMeans) {
  AudioBlockReceiver receiver;
  for (const auto& block : GetParam().blocks) {
    ASSERT_TRUE(receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, Encode(block), {}, {}));
  }
  EXPECT_EQ(std::vector<std::int32_t>(receiver.Means().begin(), receiver.Means().end()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, AudioSpectrumReduction,
    ::testing::Values(
        ReductionCase{"FirstBlockAgainstZeros", {Ramp()}, RampMeans()},
        // Every difference 8 and an old mean of 0 gives 8; the next identical step (8 + 32) / 4 = 10.
        ReductionCase{"DifferencesOfEight", {Filled(500, 8)}, Filled(25, 8)},
        ReductionCase{"OldMeanInTheSum", {Filled(500, 8), Filled(500, 16)}, Filled(25, 10)},
        // Differences are absolute: falling by 8 counts as rising by 8.
        ReductionCase{"FallingValues", {Filled(500, 16), Filled(500, 8)}, Filled(25, (16 + 32) / 4)},
        // The same block again: no differences, the means decay by the division.
        ReductionCase{"UnchangedBlockDecays", {Filled(500, 8), Filled(500, 8)}, Filled(25, 2)},
        ReductionCase{"FifthValueIgnored", {FifthOnly()}, Filled(25, 0)},
        // Only the first 125 values reach a group: a change from index 125 on shows nowhere.
        ReductionCase{"TailIgnored", {[] {
                                        std::vector<std::int32_t> block(500, 0);
                                        for (std::size_t i = 125; i < 500; ++i) block[i] = 4000;
                                        return block;
                                      }()},
                      Filled(25, 0)}),
    [](const ::testing::TestParamInfo<ReductionCase>& info) { return std::string(info.param.name); });

TEST(AudioBlockReceiver, FeedsTheKeyboardEveryThirdSpectrumBlock) {
  AudioBlockReceiver receiver;
  Fed fed;
  const std::vector<std::uint8_t> block = Encode(Filled(500, 4));
  const std::vector<std::size_t> fed_after = {0, 0, 1, 1, 1, 2};  // blocks 1 to 6
  const std::vector<int> counter_after = {1, 2, 0, 1, 2, 0};
  for (std::size_t n = 0; n < fed_after.size(); ++n) {
    receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, block, fed.Spectrum(), fed.Levels());
    EXPECT_EQ(fed.spectra.size(), fed_after[n]) << "after block " << n + 1;
    EXPECT_EQ(receiver.BlockCounter(), counter_after[n]) << "after block " << n + 1;
  }
  ASSERT_EQ(fed.spectra.size(), 2u);
  EXPECT_EQ(fed.spectra[0].size(), 25u);
  EXPECT_TRUE(fed.levels.empty());
}

TEST(AudioBlockReceiver, ShortLongAndForeignBlocks) {
  AudioBlockReceiver receiver;
  Fed fed;
  // A full block of 7, then one of 100 values of 3: the tail keeps the 7s.
  receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, Encode(Filled(500, 7)), {}, {});
  receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, Encode(Filled(100, 3)), {}, {});
  // Groups 0-19 lie in the short block (differences 4), 20-24 in the kept tail (0).
  // Means after block 1: (0 + 28) / 4 = 7; after block 2: (7 + 16) / 4 = 5 and 7 / 4 = 1.
  for (std::size_t j = 0; j < 25; ++j) EXPECT_EQ(receiver.Means()[j], j < 20 ? 5 : 1) << j;

  // A level block longer than its buffer is cut; a shorter one keeps the rest.
  receiver.OnCopyData(AudioBlockReceiver::kLevelKind, Encode({1, 2, 3, 4, 5, 6, 7, 8}), {}, fed.Levels());
  receiver.OnCopyData(AudioBlockReceiver::kLevelKind, Encode({9, 9}), {}, fed.Levels());
  ASSERT_EQ(fed.levels.size(), 2u);
  EXPECT_EQ(fed.levels[0], (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(fed.levels[1], (std::vector<std::int32_t>{9, 9, 3, 4, 5, 6}));

  // Other kinds, empty blocks and bytes short of one value change nothing.
  const int counter = receiver.BlockCounter();
  EXPECT_FALSE(receiver.OnCopyData(10, Encode({1, 2, 3}), fed.Spectrum(), fed.Levels()));
  EXPECT_FALSE(receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, {}, fed.Spectrum(), fed.Levels()));
  EXPECT_FALSE(receiver.OnCopyData(AudioBlockReceiver::kLevelKind, {}, fed.Spectrum(), fed.Levels()));
  EXPECT_EQ(receiver.BlockCounter(), counter);
  EXPECT_EQ(fed.levels.size(), 2u);
}

TEST(AudioBlockReceiver, ExtremeValuesStayInRange) {
  AudioBlockReceiver receiver;
  constexpr std::int32_t kLow = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max();
  receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, Encode(Filled(500, kLow)), {}, {});
  receiver.OnCopyData(AudioBlockReceiver::kSpectrumKind, Encode(Filled(500, kHigh)), {}, {});
  for (const std::int32_t mean : receiver.Means()) EXPECT_EQ(mean, kHigh);
}

}  // namespace
}  // namespace zt640
