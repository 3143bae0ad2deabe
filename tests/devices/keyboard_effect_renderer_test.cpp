#include <gtest/gtest.h>

#include <memory>

#include "devices/host_effects.h"
#include "devices/keyboard_effect_renderer.h"
#include "devices/keyboard_effect_tables.h"

namespace zt640 {
namespace {

class KeyboardRendererTest : public ::testing::Test {
 protected:
  KeyboardRendererTest() : renderer_(EffectClock([now = now_us_] { return *now; })) {}

  void Start(uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction, uint8_t multicolour,
             uint8_t red = 0, uint8_t green = 0, uint8_t blue = 0, uint8_t option = 0) {
    LightState state;
    state.bytes = {mode, brightness, speed, direction, multicolour, red, green, blue};
    state.bytes[LightState::kModeOption] = option;
    renderer_.SetLightState(state);
    renderer_.PrepareMode(mode);
  }
  ZoneColour Zone(size_t key) const { return renderer_.GetZoneColour(key); }

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
  for (const auto& frame : KeyboardEffectTables::SweepFrames()) {
    for (uint8_t key : frame) EXPECT_TRUE(key == 170 || key < 126);
  }
}

TEST_F(KeyboardRendererTest, Mode1ColumnWaveMulticolourGolden) {
  Start(1, 4, 0, 1, 1);
  renderer_.RenderMode(1);
  // Key 0 sits in column 2: wheel[(1 + 1 + 14) mod 192] = wheel[16].
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x51, 0x00, 255}));
  // Key 36 sits in column 22: wheel[(1 + 1 + 154) mod 192] = wheel[156].
  EXPECT_EQ(Zone(36), (ZoneColour{0xD5, 0x00, 0xFF, 255}));
  renderer_.RenderMode(1);
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x59, 0x00, 255}));
}

TEST_F(KeyboardRendererTest, Mode1SingleColourUsesWaveCurve) {
  Start(1, 2, 0, 0, 0, 10, 20, 30);
  renderer_.RenderMode(1);  // backward: phase 95
  // Column 0 (key 120): wave[(95 + 1) mod 96] = wave[0] = 22 -> 126 * 22 / 256 = 10.
  EXPECT_EQ(Zone(120), (ZoneColour{10, 20, 30, 10}));
  // Column 1 (key 21): wave[7] = 42 -> 20.
  EXPECT_EQ(Zone(21).brightness, 20);
}

TEST_F(KeyboardRendererTest, Mode5BreathingByColumn) {
  Start(5, 4, 0, 1, 1);
  for (int i = 0; i < 64; ++i) renderer_.RenderMode(5);
  // Phase 64: curve 255 -> 254; key 1 in column 3 gets wheel[21].
  EXPECT_EQ(Zone(1), (ZoneColour{0xFF, 0x81, 0x00, 254}));
  EXPECT_EQ(Zone(120), (ZoneColour{0xFF, 0x01, 0x00, 254}));
}

TEST_F(KeyboardRendererTest, Mode6StaticMulticolourGroups) {
  Start(6, 3, 0, 0, 1);
  renderer_.RenderMode(6);
  EXPECT_EQ(Zone(49), (ZoneColour{0x26, 0x00, 0xFF, 190}));  // group 0: wheel[138]
  EXPECT_EQ(Zone(115), (ZoneColour{0xFF, 0xF1, 0x00, 190}));  // group 9: wheel[30]
}

TEST_F(KeyboardRendererTest, Mode12RowWave) {
  Start(12, 4, 0, 1, 1);
  renderer_.RenderMode(12);
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x05, 0x00, 255}));    // row 0: wheel[2]
  EXPECT_EQ(Zone(124), (ZoneColour{0x00, 0x0C, 0xFF, 255}));  // row 5: wheel[122]
}

TEST_F(KeyboardRendererTest, Mode17OptionColour) {
  Start(17, 4, 0, 0, 0, 0, 0, 0, 2);
  renderer_.RenderMode(17);
  EXPECT_EQ(Zone(10), (ZoneColour{0x00, 0xFF, 0x12, 255}));  // wheel[70]
  EXPECT_EQ(Zone(169), (ZoneColour{0x00, 0xFF, 0x12, 255}));
}

TEST_F(KeyboardRendererTest, Mode21SnakeLightsAndFades) {
  Start(21, 4, 0, 1, 0, 255, 0, 0);
  renderer_.RenderMode(21);
  // Position 1 -> key 1 at 254, faded once by 40 within the same render.
  EXPECT_EQ(Zone(1), (ZoneColour{255, 0, 0, 213}));
  renderer_.RenderMode(21);
  EXPECT_EQ(Zone(1), (ZoneColour{255, 0, 0, 173}));
  EXPECT_EQ(Zone(2), (ZoneColour{255, 0, 0, 213}));
}

TEST_F(KeyboardRendererTest, Mode24SweepFrameGolden) {
  Start(24, 4, 0, 1, 0, 0, 0, 255);
  renderer_.RenderMode(24);
  // Frame 1 lights its keys at 255, then every level falls by 5.
  const auto& frame = KeyboardEffectTables::SweepFrames()[1];
  ASSERT_NE(frame[0], 170);
  EXPECT_EQ(Zone(frame[0]), (ZoneColour{0, 0, 255, 249}));
  EXPECT_EQ(renderer_.KeyColourIndex(frame[0]), 3);
  for (int i = 0; i < 100; ++i) renderer_.RenderMode(24);
  EXPECT_LE(renderer_.KeyColourIndex(frame[0]), 191);
}

TEST_F(KeyboardRendererTest, Mode7ReactiveRisesAndFalls) {
  Start(7, 4, 0, 0, 0, 0, 255, 0);
  renderer_.KeyEvent(30, KeyboardEffectRenderer::kPress);
  renderer_.RenderMode(7);
  EXPECT_EQ(Zone(30), (ZoneColour{0, 255, 0, 254}));
  renderer_.KeyEvent(30, KeyboardEffectRenderer::kRelease);
  renderer_.RenderMode(7);
  EXPECT_EQ(Zone(30).brightness, 249);
  renderer_.KeyEvent(400, KeyboardEffectRenderer::kPress);  // beyond the zones: ignored
}

TEST_F(KeyboardRendererTest, Mode8RippleSpreadsDiagonally) {
  Start(8, 4, 0, 0, 0, 255, 255, 255);
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
  Start(25, 4, 0, 0, 0, 255, 255, 255);
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
  Start(29, 4, 0, 1, 0);
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
  Start(29, 4, 0, 1, 0);
  AudioLightSetting audio;
  audio.audio_mode = 2;
  renderer_.SetAudioLight(audio);
  std::vector<int32_t> quiet(25, 1000);  // bass at half scale: 50 per feed
  renderer_.FeedAudioSpectrum(quiet);
  EXPECT_EQ(renderer_.Ring(0, 10), 0);
  renderer_.FeedAudioSpectrum(quiet);
  EXPECT_EQ(renderer_.Ring(0, 10), 1u << 2);  // key 51: column 10, row 2
}

TEST_F(KeyboardRendererTest, Mode30ShowsAudioLevels) {
  Start(30, 3, 0, 0, 0);
  const int32_t levels[] = {10, 300, -5, 1, 2, 3, 4};
  renderer_.FeedAudioLevels(levels);
  renderer_.RenderMode(30);
  EXPECT_EQ(Zone(5), (ZoneColour{10, 255, 0, 190}));
}

TEST_F(KeyboardRendererTest, LightListEmptyGoesDarkInModes0And19) {
  Start(19, 4, 0, 0, 0, 1, 2, 3);
  renderer_.RenderMode(17);
  renderer_.RunLightList();
  EXPECT_EQ(Zone(5), ZoneColour{});
}

TEST_F(KeyboardRendererTest, LightListStaticThenNextEntry) {
  Start(0, 4, 0, 0, 0);
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
  for (int i = 0; i < 7; ++i) renderer_.RunLightList();
  EXPECT_EQ(Zone(3), (ZoneColour{50, 0, 0, 255}));
  *now_us_ += 100'000;
  renderer_.RunLightList();  // duration over: next entry
  for (int i = 0; i < 7; ++i) renderer_.RunLightList();
  EXPECT_EQ(Zone(3), (ZoneColour{0, 0, 60, 255}));
}

TEST_F(KeyboardRendererTest, OverlayStaticAndOffRecords) {
  Start(17, 4, 0, 0, 0);
  renderer_.RenderMode(17);
  std::vector<LightEffect> records(170);
  records[4].mode = 1;
  records[4].present = 1;
  records[4].brightness = 2;
  records[4].green = 77;
  records[5].mode = 4;
  records[5].present = 1;
  renderer_.SetZoneRecords(records);
  renderer_.RunOverlay();
  EXPECT_EQ(Zone(4), (ZoneColour{0, 77, 0, 126}));
  EXPECT_EQ(Zone(5), ZoneColour{});
  EXPECT_EQ(Zone(6).brightness, 255);  // no record: the mode's colour stays
}

// Every mode renders many frames without leaving the zones or the tables.
class KeyboardRendererAllModes : public KeyboardRendererTest, public ::testing::WithParamInterface<int> {};

TEST_P(KeyboardRendererAllModes, RendersManyFramesBothDirections) {
  for (uint8_t direction = 0; direction < 2; ++direction) {
    for (uint8_t audio_mode = 0; audio_mode < 8; ++audio_mode) {
      Start(static_cast<uint8_t>(GetParam()), 4, 4, direction, 1, 1, 2, 3);
      AudioLightSetting audio;
      audio.audio_mode = audio_mode;
      audio.seven_color = 1;
      renderer_.SetAudioLight(audio);
      std::vector<int32_t> values(25);
      for (int frame = 0; frame < 400; ++frame) {
        for (size_t i = 0; i < values.size(); ++i) values[i] = (frame * 37 + static_cast<int>(i) * 91) % 2600;
        renderer_.FeedAudioSpectrum(values);
        if (frame % 7 == 0) renderer_.KeyEvent(static_cast<unsigned>(frame % 130), 1 + frame % 2);
        renderer_.RenderMode(GetParam());
        *now_us_ += 16'000;
      }
      EXPECT_EQ(renderer_.ZoneCount(), 170u);
      if (GetParam() != 29) break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, KeyboardRendererAllModes, ::testing::Range(0, 32));

}  // namespace
}  // namespace zt640
