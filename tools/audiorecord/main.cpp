// AudioRecord: the audio capture process the utility starts and connects to. It records
// what the computer plays and sends the spectrum and level blocks to the connected window.
//   AudioRecord [--tone HZ]   --tone feeds a generated sine instead of the sound server.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "audio_record_app.h"
#include "pulse_monitor_source.h"
#include "tone_source.h"

namespace {
constexpr float kToneAmplitude = 0.5f;
constexpr double kHighestTone = 24000.0;
}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<zt640::audiorecord::SampleSource> source;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--tone" && i + 1 < argc) {
      char* end = nullptr;
      const double hz = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(hz > 0.0 && hz < kHighestTone)) {
        std::fprintf(stderr, "AudioRecord: --tone needs a frequency in Hz below 24000\n");
        return 2;
      }
      source = std::make_unique<zt640::audiorecord::ToneSource>(hz, kToneAmplitude);
    } else {
      std::fprintf(stderr, "usage: AudioRecord [--tone HZ]\n");
      return arg == "--help" ? 0 : 2;
    }
  }
  if (!source) source = std::make_unique<zt640::audiorecord::PulseMonitorSource>();
  zt640::audiorecord::AudioRecordApp app(std::move(source));
  return app.Run();
}
