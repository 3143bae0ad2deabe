// Cost of one lighting frame on the keyboard picture: the worker's 126 colour
// stores and the refresh tick that hands changed colours to the key buttons.
// BM_StoreFloor (126 bare atomic stores) is the floor to read the others against.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <array>
#include <atomic>
#include <cstdint>

#include "pages/keyboard/keyboard_picture.h"
#include "pages/select_panel_ui.h"

namespace {

using zt640::CSelectPanelUI;
using zt640::KeyboardPicture;

constexpr unsigned kKeys = KeyboardPicture::kKeyCount;

void StoreFrame(KeyboardPicture& picture, uint8_t phase) {
  for (unsigned key = 0; key < kKeys; ++key) {
    picture.StoreKeyColour(key, static_cast<uint8_t>(key + phase), phase, static_cast<uint8_t>(255 - key), 200);
  }
}

void BM_StoreFloor(benchmark::State& state) {
  std::array<std::atomic<uint32_t>, kKeys> cells{};
  uint32_t phase = 0;
  for (auto _ : state) {
    ++phase;
    for (unsigned key = 0; key < kKeys; ++key) cells[key].store(key + phase, std::memory_order_relaxed);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StoreFloor);

// Every key changes every frame; the panel is off screen, so nothing is painted.
void BM_StoreAndApplyChangedFrame(benchmark::State& state) {
  CSelectPanelUI panel;
  panel.resize(1210, 360);
  KeyboardPicture picture(&panel);
  picture.SetLightsVisible(true);
  uint8_t phase = 0;
  for (auto _ : state) {
    StoreFrame(picture, ++phase);
    benchmark::DoNotOptimize(picture.ApplyStoredColours());
  }
}
BENCHMARK(BM_StoreAndApplyChangedFrame);

// A steady effect: the worker stores the same colours again and the tick finds nothing.
void BM_StoreAndApplyUnchangedFrame(benchmark::State& state) {
  CSelectPanelUI panel;
  panel.resize(1210, 360);
  KeyboardPicture picture(&panel);
  picture.SetLightsVisible(true);
  StoreFrame(picture, 1);
  (void)picture.ApplyStoredColours();
  for (auto _ : state) {
    StoreFrame(picture, 1);
    benchmark::DoNotOptimize(picture.ApplyStoredColours());
  }
}
BENCHMARK(BM_StoreAndApplyUnchangedFrame);

// The whole frame on screen: stores, tick and the repaint of every key.
void BM_StoreApplyAndPaintFrame(benchmark::State& state) {
  CSelectPanelUI panel;
  panel.resize(1210, 360);
  KeyboardPicture picture(&panel);
  picture.SetLightsVisible(true);
  panel.show();
  QCoreApplication::processEvents();
  uint8_t phase = 0;
  for (auto _ : state) {
    StoreFrame(picture, ++phase);
    benchmark::DoNotOptimize(picture.ApplyStoredColours());
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_StoreApplyAndPaintFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
