#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "devices/mouse/mouse_effect_renderer.h"

namespace zt640 {
namespace {

constexpr size_t kZones = 15;
constexpr uint64_t kTickMicros = 15625;

/// A renderer over the mouse's 15 zones with a clock the test steps.
class MouseRendererTest : public ::testing::Test {
 protected:
  MouseRendererTest() : renderer_(EffectClock([this] { return now_; })) { renderer_.SetZoneCount(kZones); }

  /// Mode, brightness level, speed level, direction, multicolour, colour.
  void SetState(uint8_t mode, uint8_t brightness, uint8_t speed, bool forward, bool multicolour,
                ZoneColour colour = {10, 20, 30, 0}) {
    LightState state;
    state.bytes = {mode, brightness, speed, static_cast<uint8_t>(forward ? 1 : 0),
                   static_cast<uint8_t>(multicolour ? 1 : 0), colour.red, colour.green, colour.blue};
    renderer_.SetLightState(state);
  }
  ZoneColour Zone(size_t zone) const { return renderer_.GetZoneColour(zone); }

  uint64_t now_ = 10'000'000;  // 10 s: every blink timer has run out
  MouseEffectRenderer renderer_;
};

// One frame of each mode index from a fresh renderer: colour (10, 20, 30) at
// level 4 (255), forward, single colour unless said.
struct ModeCase {
  const char* name;
  uint8_t mode;
  bool multicolour;
  size_t zone;
  ZoneColour expected;
};

class MouseRendererModes : public MouseRendererTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(MouseRendererModes, FirstFrame) {
  const ModeCase& c = GetParam();
  SetState(c.mode, 4, 4, true, c.multicolour);
  renderer_.RenderMode(c.mode);
  EXPECT_EQ(Zone(c.zone), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    MouseDispatch, MouseRendererModes,
    ::testing::Values(
        // Wave, multicolour: phase 1; zone 0 is group 0, zone 14 group 6 (7 x 6 entries on).
        ModeCase{"WaveWheelGroup0", 0, true, 0, {0xFF, 0x03, 0x00, 255}},
        ModeCase{"WaveWheelGroup6", 0, true, 14, {0x72, 0xFF, 0x00, 255}},
        // Wave, single colour: wave curve 24 at phase 1 (group 0), 45 at 1 + 7 (group 1).
        ModeCase{"WaveCurveGroup0", 0, false, 2, {10, 20, 30, 255 * 24 / 256}},
        ModeCase{"WaveCurveGroup1", 0, false, 3, {10, 20, 30, 255 * 45 / 256}},
        ModeCase{"Spectrum", 1, false, 7, {0xFF, 0x03, 0x00, 255}},
        // Breathing: curve[1] = 1.
        ModeCase{"Breathing", 2, false, 0, {10, 20, 30, 255 * 1 / 256}},
        ModeCase{"Static", 3, false, 9, {10, 20, 30, 255}},
        ModeCase{"BlinkOn", 4, false, 0, {10, 20, 30, 255}},
        // Ring: the lit place moves from 0 to group 1 (zones 3, 4) on the first frame.
        ModeCase{"RingUnlitGroup", 5, false, 0, {10, 20, 30, 0}},
        ModeCase{"RingLitGroup", 5, false, 3, {10, 20, 30, 255 * 255 / 256}},
        ModeCase{"RingLitGroupWheel", 5, true, 4, {0xFF, 0x39, 0x00, 255 * 255 / 256}},  // wheel[1 + 12]
        ModeCase{"ReactiveWithoutPress", 6, false, 0, {10, 20, 30, 0}},
        ModeCase{"BreathingFourColours", 7, false, 0, {0x00, 0xFF, 0xB4, 0}},
        ModeCase{"BlinkFourColours", 8, false, 0, {0x00, 0xFF, 0x00, 255}},
        ModeCase{"Off", 9, false, 0, {0, 0, 0, 0}},
        // Past the last mode: the light frames, none here.
        ModeCase{"EmptyLightFrames", 12, false, 0, {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST_F(MouseRendererTest, WaveRunsBackwardFromTheWheelsEnd) {
  SetState(0, 2, 4, false, true);
  renderer_.RenderWave();
  // Step backward from 0 gives 191: wheel[191] is (0xFF, 0, 0x00), at level 2 (126).
  EXPECT_EQ(Zone(0), (ZoneColour{0xFF, 0x00, 0x00, 126}));
  // Group 1 is 7 entries further, past the wheel's end: wheel[6] = (0xFF, 0x12, 0).
  EXPECT_EQ(Zone(3), (ZoneColour{0xFF, 0x12, 0x00, 126}));
}

TEST_F(MouseRendererTest, RingGroupFadesByTheKeyLevelSteps) {
  SetState(5, 4, 4, true, false);
  renderer_.RenderRing();
  renderer_.RenderRing();
  // Group 2 is lit now; group 1 fell from 255 by 40.
  EXPECT_EQ(Zone(5).brightness, 255 * 255 / 256);
  EXPECT_EQ(Zone(3).brightness, 255 * 215 / 256);
  renderer_.RenderRing();
  EXPECT_EQ(Zone(3).brightness, 255 * 175 / 256);
}

TEST_F(MouseRendererTest, ReactiveZonesFadeInThenOutBy15) {
  SetState(6, 4, 4, true, false);
  renderer_.StartReactive();
  std::vector<int> levels;
  for (int frame = 0; frame < 36; ++frame) {
    renderer_.RenderReactive();
    levels.push_back(renderer_.ReactiveLevel(kZones - 1));
  }
  EXPECT_EQ(levels[0], 15);
  EXPECT_EQ(levels[16], 255);  // 17 steps of 15 reach 255
  EXPECT_EQ(levels[17], 240);
  EXPECT_EQ(levels[33], 0);
  EXPECT_EQ(levels[35], 0);
  EXPECT_EQ(Zone(kZones - 1), (ZoneColour{10, 20, 30, 0}));
  // A press in the middle of the fade starts the zones rising again.
  renderer_.StartReactive();
  renderer_.RenderReactive();
  EXPECT_EQ(Zone(0), (ZoneColour{10, 20, 30, 255 * 15 / 256}));
}

TEST_F(MouseRendererTest, ReactiveMulticolourTakesOneWheelColourPerZone) {
  SetState(6, 4, 4, true, true);
  renderer_.StartReactive();
  renderer_.RenderReactive();
  for (size_t zone = 0; zone < kZones; ++zone) {
    const ZoneColour shown = Zone(zone);
    EXPECT_EQ(shown.brightness, 255 * 15 / 256);
    // Every wheel colour has one part at 0xFF.
    EXPECT_TRUE(shown.red == 0xFF || shown.green == 0xFF || shown.blue == 0xFF) << zone;
  }
}

TEST_F(MouseRendererTest, ClearingTheBuffersStopsReactiveZones) {
  SetState(6, 4, 4, true, false);
  renderer_.StartReactive();
  renderer_.RenderReactive();
  renderer_.ClearEffectBuffers();
  renderer_.RenderReactive();
  EXPECT_EQ(renderer_.ReactiveLevel(0), 0);
}

// Every mode renders after 28, 23, 18, 13 or 7 tick changes by speed level.
TEST_F(MouseRendererTest, WorkerPassRendersAtTheSpeedLevelsPeriod) {
  const int periods[] = {28, 23, 18, 13, 7};
  for (uint8_t speed = 0; speed < 5; ++speed) {
    SetState(1, 4, speed, true, false);
    renderer_.StartWorkerPasses();
    const int phase = renderer_.Phase();
    for (int tick = 1; tick < periods[speed]; ++tick) {
      now_ += kTickMicros;
      renderer_.RunWorkerPass();
      renderer_.RunWorkerPass();  // a pass without a tick change counts nothing
    }
    EXPECT_EQ(renderer_.Phase(), phase) << "speed " << int{speed};
    now_ += kTickMicros;
    renderer_.RunWorkerPass();
    EXPECT_EQ(renderer_.Phase(), (phase + 1) % 192) << "speed " << int{speed};
    // A worker that sleeps through the period it is told renders on its one pass.
    ASSERT_EQ(renderer_.TickChangesUntilDue(), static_cast<uint64_t>(periods[speed]));
    now_ += renderer_.TickChangesUntilDue() * kTickMicros;
    renderer_.RunWorkerPass();
    EXPECT_EQ(renderer_.Phase(), (phase + 2) % 192) << "speed " << int{speed};
  }
}

TEST_F(MouseRendererTest, LightFramesPlayPastTheLastModeEntryAfterEntry) {
  EffectFrame first;
  first.effect.mode = LightListPlayer::kStatic;
  first.effect.brightness = 4;
  first.effect.red = 0x40;
  first.time = 100;
  EffectFrame second = first;
  second.effect.red = 0x80;
  renderer_.SetLightList({first, second});
  SetState(10, 4, 4, true, false);
  renderer_.StartWorkerPasses();
  // A static entry shows after its period of 28 passes (speed 0), one pass a millisecond.
  now_ += 30'000;
  renderer_.RunWorkerPass();
  EXPECT_EQ(Zone(0), (ZoneColour{0x40, 0, 0, 255}));
  now_ += 100'000;  // 100 ms into the first entry: the second follows
  renderer_.RunWorkerPass();
  now_ += 30'000;
  renderer_.RunWorkerPass();
  EXPECT_EQ(Zone(0), (ZoneColour{0x80, 0, 0, 255}));
}

TEST(MouseRendererGroups, FifteenZonesMakeSevenGroupsOfUpToThree) {
  std::vector<int> sizes(MouseEffectRenderer::kGroupCount, 0);
  int previous = 0;
  for (size_t zone = 0; zone < kZones; ++zone) {
    const int group = MouseEffectRenderer::GroupOf(zone, kZones);
    ASSERT_GE(group, previous);  // neighbouring zones stay together
    previous = group;
    ++sizes[static_cast<size_t>(group)];
  }
  for (int size : sizes) {
    EXPECT_GE(size, 1);
    EXPECT_LE(size, 3);
  }
}

}  // namespace
}  // namespace zt640
