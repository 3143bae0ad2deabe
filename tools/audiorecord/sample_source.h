#pragma once

#include <span>
#include <string>

namespace zt640::audiorecord {

/// Where the capture thread gets mono float samples at SpectrumAnalyser::kSampleRate.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  /// Connects; false with a readable `reason` when the source is not available.
  [[nodiscard]] virtual bool Open(std::string& reason) = 0;
  /// Blocks until `out` is filled; false when the source failed (then it is closed).
  [[nodiscard]] virtual bool Read(std::span<float> out) = 0;
  virtual void Close() = 0;
};

}  // namespace zt640::audiorecord
