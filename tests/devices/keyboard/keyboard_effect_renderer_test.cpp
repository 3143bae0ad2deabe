#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "devices/host_effects.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/keyboard/keyboard_effect_tables.h"

namespace zt640 {
namespace {

using Tables = KeyboardEffectTables;

/// The wave curve's rising half (the falling half mirrors it).
constexpr std::array<int, 48> kWaveRise = {22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,
                                           61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109,
                                           114, 119, 124, 129, 134, 140, 146, 152, 158, 164, 170, 176,
                                           182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

int Wave(int index) {
  const int i = ((index % 96) + 96) % 96;
  return kWaveRise[static_cast<size_t>(i < 48 ? i : 95 - i)];
}

/// The breathing curve: 0-10, 12-20 in steps of 2, then the wave's rising half; mirrored.
int Breath(int index) {
  const int i = index < 64 ? index : 127 - index;
  if (i <= 10) return i;
  if (i <= 15) return 10 + 2 * (i - 10);
  return kWaveRise[static_cast<size_t>(i - 16)];
}

ZoneColour At(const ZoneColour& colour, int brightness) {
  return {colour.red, colour.green, colour.blue, static_cast<uint8_t>(brightness)};
}

ZoneColour WheelAt(int index, int brightness) {
  return At(HostEffects::Wheel(((index % 192) + 192) % 192), brightness);
}

/// Every key of the grid with its column and row.
struct GridKey {
  unsigned key;
  int column;
  int row;
};
std::vector<GridKey> GridKeys() {
  std::vector<GridKey> keys;
  for (int c = 0; c < Tables::kColumns; ++c) {
    for (int r = 0; r < Tables::kRows; ++r) {
      const uint8_t key = Tables::Grid()[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if (key != Tables::kNoKey) keys.push_back({key, c, r});
    }
  }
  return keys;
}

struct LightSetup {
  uint8_t mode = 0;
  uint8_t brightness = 4;
  uint8_t speed = 0;
  uint8_t direction = 1;
  uint8_t multicolour = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t option = 0;
};

class KeyboardRendererTest : public ::testing::Test {
 protected:
  KeyboardRendererTest() : renderer_(EffectClock([now = now_us_] { return *now; })) {}

  void Start(const LightSetup& setup) {
    LightState state;
    state.bytes = {setup.mode, setup.brightness, setup.speed, setup.direction,
                   setup.multicolour, setup.red, setup.green, setup.blue};
    state.bytes[LightState::kModeOption] = setup.option;
    renderer_.SetLightState(state);
    renderer_.PrepareMode(setup.mode);
  }
  ZoneColour Zone(size_t key) const { return renderer_.GetZoneColour(key); }
  void AdvanceUs(uint64_t us) { *now_us_ += us; }
  /// Runs worker passes for `ticks` tick periods, waking every `wake_us`.
  void RunTicks(int ticks, uint64_t wake_us) {
    const uint64_t end = *now_us_ + static_cast<uint64_t>(ticks) * 15'625;
    while (*now_us_ < end) {
      *now_us_ = std::min(end, *now_us_ + wake_us);
      renderer_.RunWorkerPass();
    }
  }

  std::shared_ptr<uint64_t> now_us_ = std::make_shared<uint64_t>(0);
  KeyboardEffectRenderer renderer_;
};

TEST(KeyboardEffectPacing, ThresholdsByModeAndSpeed) {
  EXPECT_EQ(KeyboardEffectRenderer::ModePacing(5, 0).threshold, 5);
  EXPECT_EQ(KeyboardEffectRenderer::ModePacing(5, 4).threshold, 1);
  EXPECT_EQ(KeyboardEffectRenderer::ModePacing(15, 3).threshold, 4);
  EXPECT_EQ(KeyboardEffectRenderer::ModePacing(17, 4).threshold, 0);
  EXPECT_TRUE(KeyboardEffectRenderer::ModePacing(29, 0).strictly_above);
  EXPECT_EQ(KeyboardEffectRenderer::ModePacing(29, 0).threshold, 1);
  EXPECT_TRUE(KeyboardEffectRenderer::ModePacing(0, 2).light_list);
  EXPECT_TRUE(KeyboardEffectRenderer::ModePacing(19, 2).light_list);
  EXPECT_TRUE(KeyboardEffectRenderer::ModePacing(31, 2).light_list);
}

TEST(KeyboardEffectTables, KeyOrderAndGridFacts) {
  EXPECT_EQ(KeyboardEffectRenderer::FindKey(15), 15);
  EXPECT_EQ(KeyboardEffectRenderer::FindKey(120), 170);  // on the grid, not on the path
  int column = 0;
  int row = 0;
  ASSERT_TRUE(KeyboardEffectTables::GridPosition(50, &column, &row));
  EXPECT_EQ(column, 9);
  EXPECT_EQ(row, 2);
  EXPECT_FALSE(KeyboardEffectTables::GridPosition(170, &column, &row));
}

TEST(KeyboardEffectTables, SweepFramesAreAPathOverTheKeys) {
  const auto& frames = Tables::SweepFrames();
  ASSERT_EQ(frames.size(), 52u);
  std::set<unsigned> lit;
  for (const auto& frame : frames) {
    ASSERT_LE(frame.size(), 12u);
    for (uint8_t key : frame) {
      if (key == Tables::kNoKey) continue;
      int column = 0;
      int row = 0;
      EXPECT_LT(key, 126) << "not a key of the keyboard";
      EXPECT_TRUE(Tables::GridPosition(key, &column, &row)) << int{key} << " is not on the grid";
      lit.insert(key);
    }
  }
  // One turn of the sweep reaches every key of the grid.
  for (const GridKey& cell : GridKeys()) {
    if (cell.key >= 126) continue;
    EXPECT_TRUE(lit.count(cell.key)) << "key " << cell.key << " never lights";
  }
}

// Mode 24's frames 0, 24 and 50 as given for the effect, seen through the
// renderer: after a render the keys of the frame just lit stand at 255 - 5.
TEST_F(KeyboardRendererTest, Mode24LightsTheGivenFramesBothWays) {
  const std::set<unsigned> frame0 = {25, 26, 50, 51};
  const std::set<unsigned> frame24 = {41, 40, 38, 52, 54, 53, 55, 39};
  const std::set<unsigned> frame50 = {121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51};
  const auto just_lit = [this] {
    std::set<unsigned> keys;
    for (unsigned key = 0; key < KeyboardEffectRenderer::kZoneCount; ++key) {
      if (renderer_.KeyLevel(key) == 250) keys.insert(key);
    }
    return keys;
  };
  struct Stop {
    int renders;
    const std::set<unsigned>* frame;
  };
  for (uint8_t direction : {uint8_t{1}, uint8_t{0}}) {
    SCOPED_TRACE(direction ? "forward" : "backward");
    Start({.mode = 24, .direction = direction, .multicolour = 1});
    // Forward the phase steps 0 -> 1 -> ... -> 51 -> 0; backward 0 -> 51 -> 50 -> ...
    const std::vector<Stop> stops = direction ? std::vector<Stop>{{24, &frame24}, {50, &frame50}, {52, &frame0}}
                                              : std::vector<Stop>{{2, &frame50}, {28, &frame24}, {52, &frame0}};
    int renders = 0;
    for (const Stop& stop : stops) {
      while (renders < stop.renders) {
        renderer_.RenderMode(24);
        ++renders;
      }
      EXPECT_EQ(just_lit(), *stop.frame) << "after " << renders << " renders";
      for (unsigned key : *stop.frame) {
        EXPECT_EQ(renderer_.KeyColourIndex(key), 3);
        EXPECT_EQ(Zone(key), WheelAt(3, 255));  // multicolour: the index's colour at the level
      }
    }
  }
  Start({.mode = 24, .multicolour = 0, .blue = 200});
  for (int i = 0; i < 24; ++i) renderer_.RenderMode(24);
  EXPECT_EQ(Zone(41), (ZoneColour{0, 0, 200, 249}));  // single colour: level x 250 / 256
}

TEST_F(KeyboardRendererTest, Mode1ColumnWaveMulticolourGolden) {
  Start({.mode = 1, .multicolour = 1});
  renderer_.RenderMode(1);
  // Key 0 sits in column 2: wheel[(1 + 1 + 14) mod 192] = wheel[16].
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x51, 0x00, 255}));
  // Key 36 sits in column 22: wheel[(1 + 1 + 154) mod 192] = wheel[156].
  EXPECT_EQ(Zone(36), (ZoneColour{0xD5, 0x00, 0xFF, 255}));
  renderer_.RenderMode(1);
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x59, 0x00, 255}));
}

TEST_F(KeyboardRendererTest, Mode1SingleColourUsesWaveCurve) {
  Start({.mode = 1, .brightness = 2, .direction = 0, .red = 10, .green = 20, .blue = 30});
  renderer_.RenderMode(1);  // backward: phase 95
  // Column 0 (key 120): wave[(95 + 1) mod 96] = wave[0] = 22 -> 126 * 22 / 256 = 10.
  EXPECT_EQ(Zone(120), (ZoneColour{10, 20, 30, 10}));
  // Column 1 (key 21): wave[7] = 42 -> 20.
  EXPECT_EQ(Zone(21).brightness, 20);
}

TEST_F(KeyboardRendererTest, Mode5BreathingByColumn) {
  Start({.mode = 5, .multicolour = 1});
  for (int i = 0; i < 64; ++i) renderer_.RenderMode(5);
  // Phase 64: curve 255 -> 254; key 1 in column 3 gets wheel[21].
  EXPECT_EQ(Zone(1), (ZoneColour{0xFF, 0x81, 0x00, 254}));
  EXPECT_EQ(Zone(120), (ZoneColour{0xFF, 0x01, 0x00, 254}));
}

TEST_F(KeyboardRendererTest, Mode6StaticMulticolourGroups) {
  Start({.mode = 6, .brightness = 3, .direction = 0, .multicolour = 1});
  renderer_.RenderMode(6);
  EXPECT_EQ(Zone(49), (ZoneColour{0x26, 0x00, 0xFF, 190}));  // group 0: wheel[138]
  EXPECT_EQ(Zone(115), (ZoneColour{0xFF, 0xF1, 0x00, 190}));  // group 9: wheel[30]
}

TEST_F(KeyboardRendererTest, Mode12RowWave) {
  Start({.mode = 12, .multicolour = 1});
  renderer_.RenderMode(12);
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x05, 0x00, 255}));    // row 0: wheel[2]
  EXPECT_EQ(Zone(124), (ZoneColour{0x00, 0x0C, 0xFF, 255}));  // row 5: wheel[122]
}

TEST_F(KeyboardRendererTest, Mode17ColourChosenByOptionByte) {
  struct Case {
    uint8_t option;
    ZoneColour colour;
  };
  const Case cases[] = {
      {1, {0xFF, 0xB0, 0x00, 255}},  // wheel[25]
      {2, {0x00, 0xFF, 0x12, 255}},  // wheel[70]
      {3, {0x00, 0xFF, 0xFF, 255}},  // wheel[95]
      {0, {0xFF, 0x00, 0x55, 255}},  // any other: wheel[174]
      {9, {0xFF, 0x00, 0x55, 255}},
  };
  for (const Case& c : cases) {
    Start({.mode = 17, .option = c.option});
    renderer_.RenderMode(17);
    EXPECT_EQ(Zone(10), c.colour) << "option " << int{c.option};
    EXPECT_EQ(Zone(169), c.colour) << "option " << int{c.option};
  }
}

TEST_F(KeyboardRendererTest, Mode21SnakeLightsAndFades) {
  Start({.mode = 21, .red = 255});
  renderer_.RenderMode(21);
  // Position 1 -> key 1 at 254, faded once by 40 within the same render.
  EXPECT_EQ(Zone(1), (ZoneColour{255, 0, 0, 213}));
  renderer_.RenderMode(21);
  EXPECT_EQ(Zone(1), (ZoneColour{255, 0, 0, 173}));
  EXPECT_EQ(Zone(2), (ZoneColour{255, 0, 0, 213}));
}

TEST_F(KeyboardRendererTest, Mode11AdvancesKeysOffTheKeyOrderToo) {
  Start({.mode = 11, .multicolour = 1});
  renderer_.RenderMode(11);
  // Keys 17, 19, 80, 120 are not on the key order; key k starts at 33 (k + 1) mod 192.
  EXPECT_EQ(Zone(17), WheelAt(18 + 1, 255));
  EXPECT_EQ(Zone(19), WheelAt(84 + 1, 255));
  EXPECT_EQ(Zone(80), WheelAt(177 + 1, 255));
  EXPECT_EQ(Zone(120), WheelAt(153 + 1, 255));
  EXPECT_EQ(Zone(15), WheelAt(144 + 1, 255));  // on the key order
}

TEST_F(KeyboardRendererTest, Mode7PressAndReleaseLightTheKey) {
  Start({.mode = 7, .green = 255});
  renderer_.KeyEvent(30, KeyboardEffectRenderer::kPress);
  renderer_.RenderMode(7);
  EXPECT_EQ(Zone(30), (ZoneColour{0, 255, 0, 254}));
  renderer_.RenderMode(7);
  EXPECT_EQ(renderer_.KeyLevel(30), 255);  // held
  renderer_.KeyEvent(30, KeyboardEffectRenderer::kRelease);
  EXPECT_EQ(renderer_.ReactiveState(30), 2);
  renderer_.RenderMode(7);
  EXPECT_EQ(Zone(30).brightness, 249);  // falls by 5 from 255
  // A release whose press was not seen (the key went down before the mode
  // began) lights the key all the same, and it falls from 255.
  renderer_.KeyEvent(31, KeyboardEffectRenderer::kRelease);
  EXPECT_EQ(renderer_.KeyLevel(31), 255);
  renderer_.RenderMode(7);
  EXPECT_EQ(renderer_.KeyLevel(31), 250);
  renderer_.KeyEvent(400, KeyboardEffectRenderer::kPress);  // beyond the zones: ignored
}

TEST_F(KeyboardRendererTest, Mode8RippleSpreadsDiagonally) {
  Start({.mode = 8, .direction = 0, .red = 255, .green = 255, .blue = 255});
  renderer_.KeyEvent(50, KeyboardEffectRenderer::kPress);  // column 9, row 2
  renderer_.RenderMode(8);
  EXPECT_EQ(renderer_.KeyLevel(50), 215);  // lit, faded once
  renderer_.RenderMode(8);
  // Second render lights the four diagonal neighbours: columns 8 and 10, rows 1 and 3.
  EXPECT_EQ(renderer_.KeyLevel(28), 215);
  EXPECT_EQ(renderer_.KeyLevel(70), 215);
  EXPECT_EQ(renderer_.KeyLevel(30), 215);
  EXPECT_EQ(renderer_.KeyLevel(72), 215);
  EXPECT_EQ(renderer_.KeyLevel(51), 0);
}

TEST_F(KeyboardRendererTest, Mode25NeighboursRiseAndFall) {
  Start({.mode = 25, .direction = 0, .red = 255, .green = 255, .blue = 255});
  renderer_.KeyEvent(50, KeyboardEffectRenderer::kPress);
  EXPECT_EQ(renderer_.KeyLevel(50), 255);
  EXPECT_EQ(renderer_.KeyLevel(51), 60);  // next to it
  EXPECT_EQ(renderer_.KeyLevel(52), 60);  // two cells away
  renderer_.KeyEvent(50, KeyboardEffectRenderer::kRelease);
  EXPECT_EQ(renderer_.KeyLevel(51), 45);
  EXPECT_EQ(renderer_.KeyLevel(52), 0);
  EXPECT_EQ(renderer_.ReactiveState(50), 2);
}

TEST_F(KeyboardRendererTest, Mode29AudioColumnsGolden) {
  Start({.mode = 29});
  AudioLightSetting audio;
  audio.audio_mode = 0;
  audio.background_blue = 40;
  audio.foreground_red = 200;
  renderer_.SetAudioLight(audio);
  std::vector<int32_t> values(25, 0);
  values[2] = 2000;  // column 2 at full scale: rows 1-5 are the bar
  renderer_.FeedAudioSpectrum(values);
  renderer_.RenderMode(29);
  EXPECT_EQ(Zone(22), (ZoneColour{200, 0, 0, 254}));  // column 2, row 1
  EXPECT_EQ(Zone(0), (ZoneColour{0, 0, 40, 255}));    // column 2, row 0: background
  EXPECT_EQ(Zone(23), (ZoneColour{0, 0, 40, 255}));   // column 3: silence
  renderer_.RenderMode(29);  // the store was cleared: the bar fades from the top
  EXPECT_EQ(Zone(22), (ZoneColour{200, 0, 0, 209}));
}

TEST_F(KeyboardRendererTest, Mode29BeatRuleStartsRippleAtKey51) {
  Start({.mode = 29});
  AudioLightSetting audio;
  audio.audio_mode = 2;
  renderer_.SetAudioLight(audio);
  std::vector<int32_t> quiet(25, 1000);  // bass at half scale: 50 per feed
  renderer_.FeedAudioSpectrum(quiet);
  EXPECT_EQ(renderer_.Ring(0, 10), 0);
  renderer_.FeedAudioSpectrum(quiet);
  EXPECT_EQ(renderer_.Ring(0, 10), 1u << 2);  // key 51: column 10, row 2
}

// Mode 30 shows the levels' colour at the threshold (speed 0: every fifth
// tick). A render that would repeat the colour on show is left out: past the
// threshold the worker sleeps until new levels or a new state come, and those
// show at once.
TEST_F(KeyboardRendererTest, Mode30ShowsAudioLevelsAndSleepsWhileTheyStand) {
  Start({.mode = 30, .brightness = 3, .speed = 0, .direction = 0});
  renderer_.StartWorkerPasses();
  const auto pass_after_ticks = [this](uint64_t ticks) {
    AdvanceUs(ticks * 15'625);
    renderer_.RunWorkerPass();
  };
  const int32_t levels[] = {10, 300, -5, 1, 2, 3, 4};
  const int32_t louder[] = {10, 300, 40};
  EXPECT_FALSE(renderer_.FeedAudioLevels(levels));  // the worker wakes at the threshold anyway
  pass_after_ticks(5);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 0, 190}));
  EXPECT_EQ(renderer_.TickChangesUntilDue(), 5U);
  pass_after_ticks(5);
  EXPECT_EQ(renderer_.TickChangesUntilDue(), HostEffectRenderer::kUntilChanged);
  EXPECT_FALSE(renderer_.FeedAudioLevels(levels));  // the same colour wakes nobody

  EXPECT_TRUE(renderer_.FeedAudioLevels(louder));
  EXPECT_EQ(renderer_.TickChangesUntilDue(), 1U);
  pass_after_ticks(0);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 40, 190}));
  EXPECT_EQ(renderer_.TickChangesUntilDue(), 5U);

  // Before the threshold new levels wait for it.
  EXPECT_FALSE(renderer_.FeedAudioLevels(levels));
  pass_after_ticks(2);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 40, 190}));
  pass_after_ticks(3);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 0, 190}));

  // A new light state (brightness 1: level 63) shows with the same levels.
  pass_after_ticks(5);
  ASSERT_EQ(renderer_.TickChangesUntilDue(), HostEffectRenderer::kUntilChanged);
  LightState dimmer = renderer_.GetLightState();
  dimmer.bytes[LightState::kBrightness] = 1;
  renderer_.SetLightState(dimmer);
  EXPECT_EQ(renderer_.TickChangesUntilDue(), 1U);
  pass_after_ticks(0);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 0, 63}));

  // In mode 29 the levels wake nobody: its bars move on the ticks anyway.
  Start({.mode = 29});
  EXPECT_FALSE(renderer_.FeedAudioLevels(levels));
}

TEST_F(KeyboardRendererTest, LightListEmptyGoesDarkInModes0And19) {
  Start({.mode = 19, .red = 1, .green = 2, .blue = 3});
  renderer_.RenderMode(17);
  renderer_.RunLightList(1);
  EXPECT_EQ(Zone(5), ZoneColour{});
}

TEST_F(KeyboardRendererTest, LightListStaticThenNextEntry) {
  Start({.mode = 0});
  EffectFrame first;
  first.effect.mode = 1;  // static
  first.effect.brightness = 4;
  first.effect.speed = 4;  // 7 passes
  first.effect.red = 50;
  first.time = 100;
  EffectFrame second = first;
  second.effect.red = 0;
  second.effect.blue = 60;
  renderer_.SetLightList({first, second});
  renderer_.RunLightList(6);
  EXPECT_EQ(Zone(3), ZoneColour{});
  renderer_.RunLightList(1);
  EXPECT_EQ(Zone(3), (ZoneColour{50, 0, 0, 255}));
  AdvanceUs(100'000);
  renderer_.RunLightList(1);  // duration over: next entry
  renderer_.RunLightList(7);
  EXPECT_EQ(Zone(3), (ZoneColour{0, 0, 60, 255}));
}

TEST_F(KeyboardRendererTest, OverlayStaticAndOffRecords) {
  Start({.mode = 17});
  renderer_.RenderMode(17);
  std::vector<LightEffect> records(170);
  records[4].mode = 1;
  records[4].present = 1;
  records[4].brightness = 2;
  records[4].green = 77;
  records[5].mode = 4;
  records[5].present = 1;
  renderer_.SetZoneRecords(records);
  renderer_.RunOverlay(1, true);
  EXPECT_EQ(Zone(4), (ZoneColour{0, 77, 0, 126}));
  EXPECT_EQ(Zone(5), ZoneColour{});
  EXPECT_EQ(Zone(6).brightness, 255);  // no record: the mode's colour stays
}

// The worker's pace: the mode renders on tick changes (speed 4 every tick,
// speed 0 every fifth, mode 29 every second), the same whether the worker
// wakes every millisecond or once per tick.
TEST_F(KeyboardRendererTest, WorkerPassRendersModesByTickChanges) {
  struct Case {
    uint8_t mode;
    uint8_t speed;
    int ticks_per_render;
  };
  const Case cases[] = {{12, 4, 1}, {12, 3, 2}, {12, 0, 5}, {1, 2, 3}, {29, 0, 2}};
  for (const Case& c : cases) {
    for (uint64_t wake_us : {uint64_t{1000}, uint64_t{15'625}}) {
      SCOPED_TRACE("mode " + std::to_string(c.mode) + " speed " + std::to_string(c.speed) + " wake " +
                   std::to_string(wake_us) + " us");
      Start({.mode = c.mode, .speed = c.speed, .multicolour = 1});
      renderer_.StartWorkerPasses();
      for (int tick = 1; tick <= 20; ++tick) {
        RunTicks(1, wake_us);
        // Every render steps the phase forward by one.
        ASSERT_EQ(renderer_.Phase(), tick / c.ticks_per_render) << "after tick " << tick;
      }
    }
    // Sleeping through the ticks the renderer says nothing is due on keeps the
    // pace and wakes only to render.
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " speed " + std::to_string(c.speed) + " at the worker's pace");
    Start({.mode = c.mode, .speed = c.speed, .multicolour = 1});
    renderer_.StartWorkerPasses();
    uint64_t ticks = 0;
    int passes = 0;
    while (ticks < 20) {
      ticks += renderer_.TickChangesUntilDue();
      *now_us_ = ticks * 15'625;
      renderer_.RunWorkerPass();
      ++passes;
      ASSERT_EQ(renderer_.Phase(), static_cast<int>(ticks) / c.ticks_per_render) << "after tick " << ticks;
    }
    EXPECT_EQ(passes, renderer_.Phase());
  }
}

// The light list counts one pass per millisecond: speed 4 breathing steps
// every 7 ms, so one second makes 142 steps (phase 14 of the second breath,
// colour index 16), however often the worker wakes.
TEST_F(KeyboardRendererTest, WorkerPassRunsTheLightListByTheMillisecond) {
  EffectFrame breath;
  breath.effect.mode = 0;
  breath.effect.brightness = 4;
  breath.effect.speed = 4;
  breath.effect.direction = 1;
  breath.effect.multicolor = 1;
  breath.time = 60'000;
  for (uint64_t wake_us : {uint64_t{1000}, uint64_t{15'625}}) {
    SCOPED_TRACE("wake " + std::to_string(wake_us) + " us");
    Start({.mode = 0, .speed = 0});
    renderer_.SetLightList({breath});
    renderer_.StartWorkerPasses();
    RunTicks(64, wake_us);  // 1000 ms
    EXPECT_EQ(Zone(7), WheelAt(16, Breath(14) * 255 / 256));
  }
}

// Overlay spectrum zones count milliseconds too (speed 4: a wheel step per
// 7 ms); breathing zones step once per tick change (speed 0: +4).
TEST_F(KeyboardRendererTest, WorkerPassRunsTheOverlayByTheMillisecond) {
  std::vector<LightEffect> records(170);
  records[3].mode = 3;  // spectrum
  records[3].present = 1;
  records[3].brightness = 4;
  records[3].speed = 4;
  records[4].mode = 0;  // breathing
  records[4].present = 1;
  records[4].brightness = 4;
  records[4].speed = 0;
  records[4].multicolor = 1;
  for (uint64_t wake_us : {uint64_t{1000}, uint64_t{15'625}}) {
    SCOPED_TRACE("wake " + std::to_string(wake_us) + " us");
    Start({.mode = 17});
    renderer_.SetZoneRecords(records);
    renderer_.StartWorkerPasses();
    RunTicks(40, wake_us);  // 625 ms
    EXPECT_EQ(renderer_.TickChangesUntilDue(), 1U);  // the overlay moves on every tick
    EXPECT_EQ(Zone(3), WheelAt(625 / 7, 255));
    // 40 ticks of +4: past 127 after 32 (colour index 1), then 8 more: phase 32.
    EXPECT_EQ(Zone(4), WheelAt(1, Breath(32) * 255 / 256));
  }
}

// Every mode, both directions, many frames: after each render the zones obey
// the mode's own formula.
struct ModeProperty {
  const char* name;
  LightSetup setup;
  /// Checks the frame after `renders` renders; `phase` and `previous` are the
  /// renderer's phase after and before the render.
  std::function<void(const KeyboardEffectRenderer&, int renders, int phase, int previous)> check;
};

void ExpectStep(bool forward, int limit, int previous, int phase) {
  EXPECT_EQ(phase, forward ? (previous + 1) % limit : (previous + limit - 1) % limit);
}

void ExpectKeysByLevel(const KeyboardEffectRenderer& r, const ZoneColour& colour, bool key_order_only) {
  for (const GridKey& cell : GridKeys()) {
    if (key_order_only && !Tables::InKeyOrder(cell.key)) continue;
    EXPECT_EQ(r.GetZoneColour(cell.key), At(colour, 255 * r.KeyLevel(cell.key) / 256)) << "key " << cell.key;
  }
}

void ExpectAllZones(const KeyboardEffectRenderer& r, const ZoneColour& zone) {
  for (size_t key = 0; key < KeyboardEffectRenderer::kZoneCount; ++key) {
    EXPECT_EQ(r.GetZoneColour(key), zone) << "zone " << key;
  }
}

const ZoneColour kFixed{1, 2, 3, 0};

std::vector<ModeProperty> ModeProperties() {
  using R = const KeyboardEffectRenderer&;
  const auto forward = [](R r) { return r.GetLightState().forward(); };
  const auto key_level_mode = [](uint8_t mode, bool key_order_only) {
    return ModeProperty{"", {.mode = mode, .speed = 4, .red = 1, .green = 2, .blue = 3},
                        [key_order_only](R r, int, int, int) { ExpectKeysByLevel(r, kFixed, key_order_only); }};
  };
  std::vector<ModeProperty> properties = {
      {"light list (empty)", {.mode = 0}, [](R r, int, int, int) { ExpectAllZones(r, {}); }},
      {"column wave", {.mode = 1, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         for (const GridKey& k : GridKeys()) EXPECT_EQ(r.GetZoneColour(k.key), WheelAt(phase + 1 + 7 * k.column, 255));
       }},
      {"column wave single colour", {.mode = 1, .red = 1, .green = 2, .blue = 3},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 96, previous, phase);
         for (const GridKey& k : GridKeys()) {
           EXPECT_EQ(r.GetZoneColour(k.key), At(kFixed, 255 * Wave(phase + 1 + 7 * k.column) / 256));
         }
       }},
      {"column sweep", {.mode = 2, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         for (const GridKey& k : GridKeys()) EXPECT_EQ(r.GetZoneColour(k.key), WheelAt(phase + 2 * k.column, 255));
       }},
      {"path wave", {.mode = 3, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         // Positions 0, 1, 16, 35 and 106 of the key order.
         const std::pair<int, unsigned> path[] = {{0, 15}, {1, 14}, {16, 21}, {35, 119}, {106, 77}};
         for (const auto& [position, key] : path) EXPECT_EQ(r.GetZoneColour(key), WheelAt(phase + 5 * position, 255));
       }},
      {"spectrum", {.mode = 4},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         ExpectAllZones(r, WheelAt(phase, 255));
       }},
      {"breathing", {.mode = 5, .multicolour = 1},
       [](R r, int, int phase, int previous) {
         EXPECT_EQ(phase, (previous + 1) % 128);  // forward whatever the direction
         for (const GridKey& k : GridKeys()) {
           EXPECT_EQ(r.GetZoneColour(k.key), WheelAt(7 * k.column, 255 * Breath(phase) / 256));
         }
       }},
      {"static groups", {.mode = 6, .multicolour = 1},
       [](R r, int, int, int) {
         EXPECT_EQ(r.GetZoneColour(49), WheelAt(138, 255));  // group 0
         EXPECT_EQ(r.GetZoneColour(5), WheelAt(102, 255));   // group 3
         EXPECT_EQ(r.GetZoneColour(115), WheelAt(30, 255));  // group 9
       }},
      key_level_mode(7, false),
      key_level_mode(8, false),
      key_level_mode(9, false),
      key_level_mode(10, true),
      {"rainbow keys", {.mode = 11, .multicolour = 1},
       [](R r, int renders, int, int) {
         for (unsigned key = 0; key < KeyboardEffectRenderer::kZoneCount; ++key) {
           EXPECT_EQ(r.GetZoneColour(key), WheelAt(33 * static_cast<int>(key + 1) + renders, 255)) << "key " << key;
         }
       }},
      {"row wave", {.mode = 12, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         for (const GridKey& k : GridKeys()) EXPECT_EQ(r.GetZoneColour(k.key), WheelAt(phase + 1 + 24 * k.row, 255));
       }},
      key_level_mode(13, false),
      key_level_mode(14, false),
      {"twinkle path", {.mode = 15, .multicolour = 1},
       [](R r, int, int, int) {
         for (uint8_t key : Tables::KeyOrder()) {
           const ZoneColour zone = r.GetZoneColour(key);
           EXPECT_EQ(zone, At(HostEffects::Wheel(r.KeyColourIndex(key)), zone.brightness));
         }
       }},
      key_level_mode(16, false),
      {"group rainbow", {.mode = 18, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 192, previous, phase);
         EXPECT_EQ(r.GetZoneColour(49), WheelAt(phase + 7, 255));    // group 0
         EXPECT_EQ(r.GetZoneColour(28), WheelAt(phase + 14, 255));   // group 1
         EXPECT_EQ(r.GetZoneColour(115), WheelAt(phase + 70, 255));  // group 9
       }},
      {"light list (empty) 19", {.mode = 19}, [](R r, int, int, int) { ExpectAllZones(r, {}); }},
      {"custom", {.mode = 20},
       [](R r, int, int, int) {
         for (const ZoneColour& zone : r.Zones()) EXPECT_EQ(zone.brightness, 255);
       }},
      key_level_mode(21, true),
      {"staggered breath", {.mode = 22, .multicolour = 1},
       [](R r, int, int, int) {
         for (uint8_t key : Tables::KeyOrder()) {
           const ZoneColour zone = r.GetZoneColour(key);
           EXPECT_EQ(zone, At(HostEffects::Wheel(r.KeyColourIndex(key)), zone.brightness));
         }
       }},
      {"blink", {.mode = 23, .speed = 4, .red = 1, .green = 2, .blue = 3},
       [](R r, int, int, int) {
         const ZoneColour first = r.GetZoneColour(0);
         EXPECT_TRUE(first == At(kFixed, 255) || first == ZoneColour{});
         ExpectAllZones(r, first);
       }},
      {"sweep frames", {.mode = 24, .multicolour = 1},
       [forward](R r, int, int phase, int previous) {
         ExpectStep(forward(r), 52, previous, phase);
         for (const GridKey& k : GridKeys()) EXPECT_EQ(r.GetZoneColour(k.key), WheelAt(r.KeyColourIndex(k.key), 255));
       }},
      {"sweep frames single colour", {.mode = 24, .red = 1, .green = 2, .blue = 3},
       [](R r, int, int, int) { ExpectKeysByLevel(r, kFixed, false); }},
      key_level_mode(25, false),
      {"breathing four colours", {.mode = 26},
       [](R r, int, int phase, int) {
         const ZoneColour first = r.GetZoneColour(0);
         const ZoneColour fixed[] = {
             {0x00, 0xFF, 0xB4, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0xFF, 0}, {0xFF, 0x00, 0x00, 0}};
         EXPECT_TRUE(std::any_of(std::begin(fixed), std::end(fixed),
                                 [&](const ZoneColour& c) { return At(c, 255 * Breath(phase) / 256) == first; }));
         ExpectAllZones(r, first);
       }},
      {"blink four colours", {.mode = 27, .speed = 4},
       [](R r, int, int, int) {
         const ZoneColour first = r.GetZoneColour(0);
         const ZoneColour fixed[] = {{0x00, 0xFF, 0xB4, 255}, {0x00, 0xFF, 0x00, 255}, {0xFF, 0xFF, 0xFF, 255},
                                     {0xFF, 0x00, 0x00, 255}, {}};
         EXPECT_TRUE(std::find(std::begin(fixed), std::end(fixed), first) != std::end(fixed));
         ExpectAllZones(r, first);
       }},
      {"off", {.mode = 28}, [](R r, int, int, int) { ExpectAllZones(r, {}); }},
      {"audio colour", {.mode = 30}, [](R r, int, int, int) { ExpectAllZones(r, {7, 8, 9, 255}); }},
      {"unknown mode: light list", {.mode = 31}, [](R r, int, int, int) { ExpectAllZones(r, {}); }},
  };
  for (ModeProperty& property : properties) {
    if (property.name[0] == '\0') property.name = "key levels";
  }
  return properties;
}

TEST_F(KeyboardRendererTest, EveryModeFollowsItsFormulaFrameAfterFrame) {
  for (const ModeProperty& property : ModeProperties()) {
    for (uint8_t direction : {uint8_t{1}, uint8_t{0}}) {
      SCOPED_TRACE(std::string("mode ") + std::to_string(property.setup.mode) + " (" + property.name + "), " +
                   (direction ? "forward" : "backward"));
      LightSetup setup = property.setup;
      setup.direction = direction;
      Start(setup);
      const int32_t levels[] = {7, 8, 9};
      (void)renderer_.FeedAudioLevels(levels);
      for (int frame = 1; frame <= 300 && !HasFailure(); ++frame) {
        if (frame % 7 == 0) renderer_.KeyEvent(static_cast<unsigned>(frame * 13 % 126), 1 + frame / 7 % 2);
        const int previous = renderer_.Phase();
        renderer_.RenderMode(setup.mode);
        AdvanceUs(16'000);
        property.check(renderer_, frame, renderer_.Phase(), previous);
      }
    }
  }
}

// Mode 29, every audio mode: a key above level 9 shows the bar colour at
// level x key level / 256, any other the background at the level.
TEST_F(KeyboardRendererTest, AudioModesShowBarsAndBackground) {
  for (uint8_t audio_mode = 0; audio_mode <= 6; ++audio_mode) {
    for (uint8_t direction : {uint8_t{1}, uint8_t{0}}) {
      SCOPED_TRACE("audio mode " + std::to_string(audio_mode) + (direction ? " forward" : " backward"));
      Start({.mode = 29, .direction = direction});
      AudioLightSetting audio;
      audio.audio_mode = audio_mode;
      audio.background_green = 40;
      audio.foreground_red = 200;
      renderer_.SetAudioLight(audio);
      std::vector<int32_t> values(25);
      for (int frame = 0; frame < 200 && !HasFailure(); ++frame) {
        for (size_t i = 0; i < values.size(); ++i) values[i] = (frame * 37 + static_cast<int>(i) * 91) % 2600;
        renderer_.FeedAudioSpectrum(values);
        renderer_.RenderMode(29);
        for (const GridKey& k : GridKeys()) {
          // Audio mode 3 paints only the keys of the key groups.
          if (audio_mode == 3 && !Tables::InKeyOrder(k.key)) continue;
          const int level = renderer_.KeyLevel(k.key);
          if (audio_mode == 3) {
            bool grouped = false;
            for (int g = 0; g < Tables::kKeyGroupCount && !grouped; ++g) {
              const auto group = Tables::KeyGroup(g);
              grouped = std::find(group.begin(), group.end(), k.key) != group.end();
            }
            if (!grouped) continue;
          }
          const ZoneColour expected = level > 9 ? ZoneColour{200, 0, 0, static_cast<uint8_t>(255 * level / 256)}
                                                : ZoneColour{0, 40, 0, 255};
          EXPECT_EQ(Zone(k.key), expected) << "key " << k.key << " frame " << frame;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zt640
