#include "spectrum_analyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace zt640::audiorecord {
namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kWindow = 4096;

std::vector<float> Sine(double hz, float amplitude) {
  std::vector<float> samples(kWindow);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / kRate));
  }
  return samples;
}

/// The band that holds `hz` on the 500-band logarithmic scale over 20 Hz-16 kHz.
std::size_t BandOf(double hz) {
  return static_cast<std::size_t>(std::floor(500.0 * std::log(hz / 20.0) / std::log(16000.0 / 20.0)));
}

class SpectrumToneTest : public ::testing::TestWithParam<double> {};

TEST_P(SpectrumToneTest, ToneLightsItsBandAndLeavesBandsAThirdOctaveAwayDark) {
  const double hz = GetParam();
  SpectrumAnalyser analyser;
  AnalysisResult result;
  analyser.Analyse(Sine(hz, 0.5f), StyleWeights{}, result);
  const std::size_t band = BandOf(hz);
  // Half of full scale is -6 dB: well above half of the spectrum's range.
  EXPECT_GT(result.spectrum[band], 1500) << hz;
  const auto loudest = std::max_element(result.spectrum.begin(), result.spectrum.end()) - result.spectrum.begin();
  EXPECT_LE(std::abs(static_cast<long>(loudest) - static_cast<long>(band)), 1) << hz;
  const std::size_t third_octave = BandOf(hz * std::pow(2.0, 1.0 / 3.0)) - band;
  for (std::size_t k = 0; k < result.spectrum.size(); ++k) {
    if (k + third_octave <= band || k >= band + third_octave) {
      EXPECT_EQ(result.spectrum[k], 0) << hz << " band " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tones, SpectrumToneTest, ::testing::Values(1000.0, 3000.0, 8000.0));

TEST(SpectrumAnalyser, SilenceLightsNothing) {
  SpectrumAnalyser analyser;
  AnalysisResult result;
  result.spectrum.fill(7);
  result.levels.fill(7);
  analyser.Analyse(std::vector<float>(kWindow, 0.0f), StyleWeights{}, result);
  EXPECT_TRUE(std::all_of(result.spectrum.begin(), result.spectrum.end(), [](int v) { return v == 0; }));
  EXPECT_TRUE(std::all_of(result.levels.begin(), result.levels.end(), [](int v) { return v == 0; }));
  // A short input counts as preceded by silence.
  analyser.Analyse({}, StyleWeights{}, result);
  EXPECT_EQ(*std::max_element(result.spectrum.begin(), result.spectrum.end()), 0);
}

TEST(SpectrumAnalyser, BandsSpanTwentyHertzToSixteenKilohertz) {
  EXPECT_NEAR(SpectrumAnalyser::BandLowEdge(0), 20.0, 1e-9);
  EXPECT_NEAR(SpectrumAnalyser::BandLowEdge(500), 16000.0, 1e-6);
  EXPECT_NEAR(SpectrumAnalyser::BandLowEdge(250), std::sqrt(20.0 * 16000.0), 1e-6);
}

TEST(SpectrumAnalyser, LevelColourFollowsTheStyleAndTheLoudness) {
  SpectrumAnalyser analyser;
  AnalysisResult loud;
  AnalysisResult quiet;
  analyser.Analyse(Sine(1000.0, 0.5f), StyleWeights{.red = 9, .green = 0, .blue = 3}, loud);
  analyser.Analyse(Sine(1000.0, 0.05f), StyleWeights{.red = 9, .green = 0, .blue = 3}, quiet);
  // RMS of a 0.5 sine is -9 dB: 0.85 of the 60 dB level range.
  EXPECT_NEAR(loud.levels[3], 850, 2);
  EXPECT_NEAR(loud.levels[4], 900, 2);  // peak -6 dB
  EXPECT_NEAR(loud.levels[0], 255 * 850 / 1000, 1);
  EXPECT_EQ(loud.levels[1], 0);
  EXPECT_NEAR(loud.levels[2], 255 * 3 * 850 / (9 * 1000), 1);
  EXPECT_LT(quiet.levels[0], loud.levels[0]);
  EXPECT_EQ(loud.levels[5], 0);  // nothing below 250 Hz

  AnalysisResult bass;
  analyser.Analyse(Sine(60.0, 0.5f), StyleWeights{.red = 0, .green = 0, .blue = 0}, bass);
  EXPECT_GT(bass.levels[5], 0);
  EXPECT_EQ(bass.levels[0], bass.levels[1]);  // all-zero weights: equal weights
  EXPECT_EQ(bass.levels[1], bass.levels[2]);
  EXPECT_GT(bass.levels[0], 0);
}

}  // namespace
}  // namespace zt640::audiorecord
