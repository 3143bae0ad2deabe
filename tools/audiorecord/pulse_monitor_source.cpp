#include "pulse_monitor_source.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include "spectrum_analyser.h"

namespace zt640::audiorecord {

namespace {
constexpr char kClientName[] = "AudioRecord";
constexpr char kStreamName[] = "output monitor";
/// The server's name for the monitor of whatever output is the default one.
constexpr char kDefaultMonitor[] = "@DEFAULT_MONITOR@";
/// Fragment asked of the server: 20 ms, one read of the capture loop, so reads return promptly.
constexpr std::uint32_t kFragmentBytes = SpectrumAnalyser::kSampleRate / 50 * sizeof(float);
}  // namespace

PulseMonitorSource::~PulseMonitorSource() { Close(); }

bool PulseMonitorSource::Open(std::string& reason) {
  if (stream_ != nullptr) return true;
  pa_sample_spec format{};
  format.format = PA_SAMPLE_FLOAT32LE;
  format.rate = SpectrumAnalyser::kSampleRate;
  format.channels = 1;
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<std::uint32_t>(-1);
  attr.tlength = static_cast<std::uint32_t>(-1);
  attr.prebuf = static_cast<std::uint32_t>(-1);
  attr.minreq = static_cast<std::uint32_t>(-1);
  attr.fragsize = kFragmentBytes;
  int error = 0;
  stream_ = pa_simple_new(nullptr, kClientName, PA_STREAM_RECORD, kDefaultMonitor, kStreamName, &format, nullptr, &attr,
                          &error);
  if (stream_ == nullptr) {
    reason = pa_strerror(error);
    return false;
  }
  return true;
}

bool PulseMonitorSource::Read(std::span<float> out) {
  if (stream_ == nullptr) return false;
  int error = 0;
  if (pa_simple_read(stream_, out.data(), out.size_bytes(), &error) < 0) {
    Close();
    return false;
  }
  return true;
}

void PulseMonitorSource::Close() {
  if (stream_ != nullptr) {
    pa_simple_free(stream_);
    stream_ = nullptr;
  }
}

}  // namespace zt640::audiorecord
