#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include <kiss_fftr.h>

#include "audio_record_protocol.h"

namespace zt640::audiorecord {

/// One analysis: the two blocks the capture process sends.
struct AnalysisResult {
  SpectrumBlock spectrum{};  ///< per band 0 (quiet) .. kSpectrumFullScale
  LevelBlock levels{};       ///< R, G, B (0-255), loudness, peak, bass (0..kLevelFullScale)
};

/// The capture process's sound analysis, free of any sound server so tests can feed it
/// generated signals. Not thread-safe; one per sender thread.
///
/// Spectrum: a Hann-windowed real FFT over the latest `kWindowSize` mono samples at
/// `kSampleRate`. The 500 bands are spread on a logarithmic frequency scale over
/// 20 Hz-16 kHz: band k covers [20 * 800^(k/500), 20 * 800^((k+1)/500)) Hz (800 = 16000/20,
/// about 52 bands per octave), so bass, mids and highs each get a share of the keys.
/// A band's magnitude is the largest FFT bin inside it, or at least the magnitude
/// interpolated at its centre (low bands are narrower than one bin). The magnitude,
/// as the amplitude of a sine in dB of full scale, maps kFloorDb..0 dB linearly onto
/// 0..kSpectrumFullScale.
///
/// Levels: loudness is the RMS and peak the largest sample of the latest 1/30 s, each in
/// dB of full scale mapped kLevelFloorDb..0 dB onto 0..kLevelFullScale; bass is the mean
/// of the bands below 250 Hz on the same 0..kLevelFullScale scale. The colour is the
/// style's R, G, B weights scaled so the largest weight gives 255 at full loudness
/// (all-zero weights count as equal weights), times the loudness.
class SpectrumAnalyser {
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr std::size_t kWindowSize = 4096;
  static constexpr double kLowestHz = 20.0;
  static constexpr double kHighestHz = 16000.0;
  static constexpr double kFloorDb = -72.0;
  static constexpr double kLevelFloorDb = -60.0;
  static constexpr double kBassLimitHz = 250.0;

  SpectrumAnalyser();
  ~SpectrumAnalyser();
  SpectrumAnalyser(const SpectrumAnalyser&) = delete;
  SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

  /// Analyses `samples` (the latest kWindowSize mono samples in -1..1, oldest first; a
  /// shorter span counts as preceded by silence).
  void Analyse(std::span<const float> samples, const StyleWeights& style, AnalysisResult& out);

  /// Lower edge in Hz of `band` (0..kSpectrumValues; band kSpectrumValues gives 16 kHz).
  [[nodiscard]] static double BandLowEdge(std::size_t band);

 private:
  struct FftFree {
    void operator()(kiss_fftr_state* state) const;
  };
  struct BandBins {
    std::size_t first = 1;  ///< first FFT bin inside the band
    std::size_t last = 0;   ///< last bin inside; below `first` when none is
    double centre = 0.0;    ///< the band's centre as a fractional bin
  };

  std::unique_ptr<kiss_fftr_state, FftFree> fft_;
  std::vector<float> window_;  ///< Hann coefficients
  std::vector<float> input_;   ///< windowed samples
  std::vector<kiss_fft_cpx> bins_;
  std::vector<float> magnitude_;
  std::vector<BandBins> bands_;
  std::size_t bass_bands_ = 0;  ///< bands whose lower edge is below kBassLimitHz
};

}  // namespace zt640::audiorecord
