#pragma once

#include <chrono>
#include <cstdint>

#include "sample_source.h"

namespace zt640::audiorecord {

/// A generated sine delivered at the real sample rate, standing in for the sound server
/// (used to measure the capture process with a known signal on its input path). With a
/// pulse rate its loudness swells and fades that many times a second, so the levels and
/// the colour they carry change from block to block as they do with music.
class ToneSource final : public SampleSource {
 public:
  ToneSource(double frequency_hz, float amplitude, double pulse_hz = 0.0);

  [[nodiscard]] bool Open(std::string& reason) override;
  /// Waits until the samples it returns would have been heard, then fills `out`.
  [[nodiscard]] bool Read(std::span<float> out) override;
  void Close() override {}

 private:
  double frequency_hz_;
  float amplitude_;
  double pulse_hz_;
  std::uint64_t produced_ = 0;  ///< samples handed out since Open
  std::chrono::steady_clock::time_point start_;
};

}  // namespace zt640::audiorecord
