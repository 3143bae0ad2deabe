#include "tone_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "spectrum_analyser.h"

namespace zt640::audiorecord {
namespace {

// A steady tone gives every block the same loudness; a pulsing one changes it from
// block to block, as music does, so the levels and their colour move.
TEST(ToneSource, PulseMakesTheLoudnessChangeFromBlockToBlock) {
  struct Case {
    double pulse_hz;
    bool changes;
  };
  for (const Case c : {Case{0.0, false}, Case{3.0, true}}) {
    SCOPED_TRACE(c.pulse_hz);
    ToneSource source(1000.0, 0.5f, c.pulse_hz);
    std::string reason;
    ASSERT_TRUE(source.Open(reason));
    std::vector<float> block(SpectrumAnalyser::kSampleRate / 30);
    std::vector<double> loudness;
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(source.Read(block));
      double sum = 0;
      for (const float s : block) sum += static_cast<double>(s) * s;
      loudness.push_back(std::sqrt(sum / static_cast<double>(block.size())));
    }
    const auto [low, high] = std::minmax_element(loudness.begin(), loudness.end());
    // A full-scale sine of amplitude 0.5 has a loudness of 0.354.
    EXPECT_LE(*high, 0.36);
    EXPECT_EQ(*high - *low > 0.05, c.changes) << *low << " .. " << *high;
  }
}

}  // namespace
}  // namespace zt640::audiorecord
