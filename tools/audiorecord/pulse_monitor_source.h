#pragma once

#include "sample_source.h"

struct pa_simple;

namespace zt640::audiorecord {

/// Records what the computer plays: the monitor of the sound server's default output
/// (PulseAudio, or PipeWire's PulseAudio service), as mono floats.
class PulseMonitorSource final : public SampleSource {
 public:
  PulseMonitorSource() = default;
  ~PulseMonitorSource() override;
  PulseMonitorSource(const PulseMonitorSource&) = delete;
  PulseMonitorSource& operator=(const PulseMonitorSource&) = delete;

  [[nodiscard]] bool Open(std::string& reason) override;
  [[nodiscard]] bool Read(std::span<float> out) override;
  void Close() override;

 private:
  pa_simple* stream_ = nullptr;
};

}  // namespace zt640::audiorecord
