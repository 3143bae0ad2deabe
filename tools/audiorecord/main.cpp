// AudioRecord: the audio capture process the utility starts and connects to. It records
// what the computer plays and sends the spectrum and level blocks to the connected window.
//   AudioRecord [--tone HZ [--pulse HZ]]
// --tone feeds a generated sine instead of the sound server; --pulse makes its loudness
// swell and fade that many times a second. Without options, ZT640_AUDIORECORD_TONE
// ("HZ" or "HZ/PULSE") does the same, so a capture process the utility starts can be
// measured with a known signal on a machine without a sound server.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio_record_app.h"
#include "pulse_monitor_source.h"
#include "tone_source.h"

namespace {
constexpr float kToneAmplitude = 0.5f;
constexpr double kHighestTone = 24000.0;
}  // namespace

namespace {

/// A frequency in Hz from `text`: above 0 and below `limit`.
std::optional<double> ParseHz(const char* text, double limit) {
  char* end = nullptr;
  const double hz = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(hz > 0.0 && hz < limit)) return std::nullopt;
  return hz;
}

constexpr double kHighestPulse = 15.0;

/// The tone ZT640_AUDIORECORD_TONE asks for ("HZ" or "HZ/PULSE"), if any.
std::unique_ptr<zt640::audiorecord::SampleSource> ToneFromEnvironment() {
  const char* value = std::getenv("ZT640_AUDIORECORD_TONE");
  if (value == nullptr || *value == '\0') return nullptr;
  std::string text = value;
  std::string pulse_text;
  if (const std::size_t slash = text.find('/'); slash != std::string::npos) {
    pulse_text = text.substr(slash + 1);
    text.resize(slash);
  }
  const std::optional<double> hz = ParseHz(text.c_str(), kHighestTone);
  const std::optional<double> pulse = pulse_text.empty() ? std::optional<double>(0.0) : ParseHz(pulse_text.c_str(), kHighestPulse);
  if (!hz || !pulse) {
    std::fprintf(stderr, "AudioRecord: ZT640_AUDIORECORD_TONE is not HZ or HZ/PULSE; recording the sound server\n");
    return nullptr;
  }
  return std::make_unique<zt640::audiorecord::ToneSource>(*hz, kToneAmplitude, *pulse);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<double> tone;
  double pulse = 0.0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--tone" && i + 1 < argc) {
      tone = ParseHz(argv[++i], kHighestTone);
      if (!tone) {
        std::fprintf(stderr, "AudioRecord: --tone needs a frequency in Hz below 24000\n");
        return 2;
      }
    } else if (arg == "--pulse" && i + 1 < argc) {
      const std::optional<double> parsed = ParseHz(argv[++i], kHighestPulse);
      if (!parsed) {
        std::fprintf(stderr, "AudioRecord: --pulse needs a rate in Hz below 15\n");
        return 2;
      }
      pulse = *parsed;
    } else {
      std::fprintf(stderr, "usage: AudioRecord [--tone HZ [--pulse HZ]]\n");
      return arg == "--help" ? 0 : 2;
    }
  }
  std::unique_ptr<zt640::audiorecord::SampleSource> source;
  if (tone) source = std::make_unique<zt640::audiorecord::ToneSource>(*tone, kToneAmplitude, pulse);
  if (!source) source = ToneFromEnvironment();
  if (!source) source = std::make_unique<zt640::audiorecord::PulseMonitorSource>();
  zt640::audiorecord::AudioRecordApp app(std::move(source));
  return app.Run();
}
