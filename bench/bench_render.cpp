// Render time per call of every keyboard effect renderer over 170 zones.
#include <benchmark/benchmark.h>

#include <vector>

#include "devices/keyboard/keyboard_effect_renderer.h"

namespace {

using zt640::KeyboardEffectRenderer;

void BM_RenderMode(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  const int audio_mode = static_cast<int>(state.range(1));
  KeyboardEffectRenderer renderer;
  zt640::LightState light;
  light.bytes = {static_cast<uint8_t>(mode), 4, 2, 1, 1, 10, 20, 30};
  renderer.SetLightState(light);
  renderer.PrepareMode(mode);
  zt640::AudioLightSetting audio;
  audio.audio_mode = static_cast<uint8_t>(audio_mode);
  audio.seven_color = 1;
  renderer.SetAudioLight(audio);
  std::vector<int32_t> spectrum(25);
  for (size_t i = 0; i < spectrum.size(); ++i) spectrum[i] = static_cast<int32_t>(i * 80);
  for (auto _ : state) {
    if (mode == 29) renderer.FeedAudioSpectrum(spectrum);
    renderer.RenderMode(mode);
    renderer.RunOverlay(16, true);
    benchmark::DoNotOptimize(renderer.Zones().data());
  }
}

void Modes(benchmark::internal::Benchmark* bench) {
  for (int mode = 0; mode <= 30; ++mode) {
    if (mode == 29) {
      for (int audio = 0; audio <= 6; ++audio) bench->Args({mode, audio});
    } else {
      bench->Args({mode, 0});
    }
  }
}

BENCHMARK(BM_RenderMode)->Apply(Modes);

}  // namespace

BENCHMARK_MAIN();
