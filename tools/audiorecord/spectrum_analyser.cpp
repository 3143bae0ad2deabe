#include "spectrum_analyser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zt640::audiorecord {

namespace {
constexpr std::size_t kBins = SpectrumAnalyser::kWindowSize / 2 + 1;
constexpr std::size_t kLevelSamples = SpectrumAnalyser::kSampleRate / kBlocksPerSecond;
constexpr double kSilent = 1e-9;
constexpr int kColourFull = 255;

/// Maps an amplitude (1 = full scale) in dB between `floor_db` and 0 onto 0..full.
std::int32_t ScaleDb(double amplitude, double floor_db, std::int32_t full) {
  if (amplitude <= kSilent) return 0;
  const double db = 20.0 * std::log10(amplitude);
  const double share = std::clamp((db - floor_db) / -floor_db, 0.0, 1.0);
  return static_cast<std::int32_t>(std::lround(share * full));
}
}  // namespace

void SpectrumAnalyser::FftFree::operator()(kiss_fftr_state* state) const { kiss_fftr_free(state); }

double SpectrumAnalyser::BandLowEdge(std::size_t band) {
  return kLowestHz * std::pow(kHighestHz / kLowestHz, static_cast<double>(band) / kSpectrumValues);
}

SpectrumAnalyser::SpectrumAnalyser()
    : fft_(kiss_fftr_alloc(static_cast<int>(kWindowSize), 0, nullptr, nullptr)),
      window_(kWindowSize),
      input_(kWindowSize),
      bins_(kBins),
      magnitude_(kBins),
      bands_(kSpectrumValues) {
  for (std::size_t i = 0; i < kWindowSize; ++i) {
    window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kWindowSize));
  }
  const double bin_hz = static_cast<double>(kSampleRate) / kWindowSize;
  for (std::size_t k = 0; k < kSpectrumValues; ++k) {
    const double low = BandLowEdge(k);
    const double high = BandLowEdge(k + 1);
    BandBins& band = bands_[k];
    band.first = static_cast<std::size_t>(std::ceil(low / bin_hz));
    band.last = static_cast<std::size_t>(std::ceil(high / bin_hz)) - 1;  // bins strictly below `high`
    band.centre = std::sqrt(low * high) / bin_hz;
    if (low < kBassLimitHz) bass_bands_ = k + 1;
  }
}

SpectrumAnalyser::~SpectrumAnalyser() = default;

void SpectrumAnalyser::Analyse(std::span<const float> samples, const StyleWeights& style, AnalysisResult& out) {
  if (samples.size() > kWindowSize) samples = samples.last(kWindowSize);
  const std::size_t lead = kWindowSize - samples.size();
  std::fill_n(input_.begin(), lead, 0.0f);
  for (std::size_t i = 0; i < samples.size(); ++i) input_[lead + i] = samples[i] * window_[lead + i];

  kiss_fftr(fft_.get(), input_.data(), bins_.data());
  // A Hann-windowed sine of amplitude A peaks at A * N / 4.
  const float to_amplitude = 4.0f / static_cast<float>(kWindowSize);
  for (std::size_t i = 0; i < kBins; ++i) magnitude_[i] = std::hypot(bins_[i].r, bins_[i].i) * to_amplitude;

  for (std::size_t k = 0; k < kSpectrumValues; ++k) {
    const BandBins& band = bands_[k];
    const auto below = std::min(static_cast<std::size_t>(band.centre), kBins - 2);
    const double frac = std::clamp(band.centre - static_cast<double>(below), 0.0, 1.0);
    double amplitude = magnitude_[below] * (1.0 - frac) + magnitude_[below + 1] * frac;
    for (std::size_t i = band.first; i <= band.last && i < kBins; ++i) amplitude = std::max<double>(amplitude, magnitude_[i]);
    out.spectrum[k] = ScaleDb(amplitude, kFloorDb, kSpectrumFullScale);
  }

  const std::span<const float> recent = samples.last(std::min(samples.size(), kLevelSamples));
  double energy = 0.0;
  double peak = 0.0;
  for (const float s : recent) {
    energy += static_cast<double>(s) * s;
    peak = std::max(peak, static_cast<double>(std::fabs(s)));
  }
  const double rms = recent.empty() ? 0.0 : std::sqrt(energy / static_cast<double>(recent.size()));
  const std::int32_t loudness = ScaleDb(rms, kLevelFloorDb, kLevelFullScale);
  std::int64_t bass = 0;
  for (std::size_t k = 0; k < bass_bands_; ++k) bass += out.spectrum[k];
  const auto bass_level = static_cast<std::int32_t>(
      bass_bands_ == 0 ? 0 : bass * kLevelFullScale / (static_cast<std::int64_t>(bass_bands_) * kSpectrumFullScale));

  std::int32_t weights[3] = {style.red, style.green, style.blue};
  const std::int32_t strongest = std::max({weights[0], weights[1], weights[2]});
  for (std::size_t c = 0; c < 3; ++c) {
    const std::int64_t weight = strongest > 0 ? weights[c] : 1;
    const std::int64_t scale = strongest > 0 ? strongest : 1;
    out.levels[c] = static_cast<std::int32_t>(kColourFull * weight * loudness / (scale * kLevelFullScale));
  }
  out.levels[3] = loudness;
  out.levels[4] = ScaleDb(peak, kLevelFloorDb, kLevelFullScale);
  out.levels[5] = bass_level;
}

}  // namespace zt640::audiorecord
