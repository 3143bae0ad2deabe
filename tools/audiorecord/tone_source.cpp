#include "tone_source.h"

#include <cmath>
#include <numbers>
#include <thread>

#include "spectrum_analyser.h"

namespace zt640::audiorecord {

ToneSource::ToneSource(double frequency_hz, float amplitude, double pulse_hz)
    : frequency_hz_(frequency_hz), amplitude_(amplitude), pulse_hz_(pulse_hz) {}

bool ToneSource::Open(std::string&) {
  produced_ = 0;
  start_ = std::chrono::steady_clock::now();
  return true;
}

bool ToneSource::Read(std::span<float> out) {
  constexpr double kRate = SpectrumAnalyser::kSampleRate;
  const std::uint64_t end = produced_ + out.size();
  std::this_thread::sleep_until(start_ + std::chrono::microseconds(static_cast<std::int64_t>(end * 1e6 / kRate)));
  const double step = 2.0 * std::numbers::pi * frequency_hz_ / kRate;
  const double pulse_step = 2.0 * std::numbers::pi * pulse_hz_ / kRate;
  for (float& s : out) {
    const auto t = static_cast<double>(produced_ % SpectrumAnalyser::kSampleRate);
    // Swells between a tenth and the full amplitude; without a pulse it stays full.
    const double swell = pulse_hz_ > 0.0 ? 0.55 + 0.45 * std::sin(pulse_step * t) : 1.0;
    s = amplitude_ * static_cast<float>(swell * std::sin(step * t));
    ++produced_;
  }
  return true;
}

}  // namespace zt640::audiorecord
