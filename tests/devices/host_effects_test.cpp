#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "devices/host_effect_renderer.h"
#include "devices/host_effects.h"
#include "devices/kalvex_usb_device.h"

namespace zt640 {
namespace {

struct FakeClock {
  std::shared_ptr<uint64_t> now_us = std::make_shared<uint64_t>(0);
  EffectClock Clock() const {
    return EffectClock([now = now_us] { return *now; });
  }
  void AdvanceMs(uint64_t ms) const { *now_us += ms * 1000; }
};

LightState State(uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction, uint8_t multicolour,
                 uint8_t red = 0, uint8_t green = 0, uint8_t blue = 0) {
  LightState state;
  state.bytes = {mode, brightness, speed, direction, multicolour, red, green, blue};
  return state;
}

TEST(HostEffects_Tables, WheelSegmentsAndLevels) {
  EXPECT_EQ(HostEffects::Wheel(0), (ZoneColour{0xFF, 0x01, 0x00, 0}));
  EXPECT_EQ(HostEffects::Wheel(31), (ZoneColour{0xFF, 0xFF, 0x00, 0}));
  EXPECT_EQ(HostEffects::Wheel(32), (ZoneColour{0xF8, 0xFF, 0x00, 0}));
  EXPECT_EQ(HostEffects::Wheel(100), (ZoneColour{0x00, 0xC2, 0xFF, 0}));
  EXPECT_EQ(HostEffects::Wheel(191), (ZoneColour{0xFF, 0x00, 0x00, 0}));
  EXPECT_EQ(HostEffects::Wheel(192), HostEffects::Wheel(0));
  EXPECT_EQ(HostEffects::BreathingCurve()[63], 255);
  EXPECT_EQ(HostEffects::BreathingCurve()[64], 255);
  EXPECT_EQ(HostEffects::BreathingCurve()[127], 0);
  EXPECT_EQ(HostEffects::Level(2), 126);
  EXPECT_EQ(HostEffects::Level(9), 255);
  EXPECT_EQ(HostEffects::BlinkPeriodSteps(3), 13u);
}

TEST(HostEffects_Step, WrapsBothWays) {
  EXPECT_EQ(HostEffects::Step(true, 128, 127), 0);
  EXPECT_EQ(HostEffects::Step(true, 128, 5), 6);
  EXPECT_EQ(HostEffects::Step(false, 128, 0), 127);
  EXPECT_EQ(HostEffects::Step(false, 128, 5), 4);
  EXPECT_EQ(HostEffects::Step(false, 52, 200), 51);
}

TEST(HostEffectRenderer_Breathing, BackwardFromZeroContinuesAt127) {
  HostEffectRenderer renderer;
  renderer.SetZoneCount(3);
  renderer.SetLightState(State(5, 4, 0, 0, 0, 200, 100, 50));
  renderer.RenderBreathing();
  EXPECT_EQ(renderer.Phase(), 127);
  EXPECT_EQ(renderer.GetZoneColour(2), (ZoneColour{200, 100, 50, 0}));
  renderer.RenderBreathing();
  EXPECT_EQ(renderer.GetZoneColour(0), (ZoneColour{200, 100, 50, 0}));  // curve[126] = 1 -> 0
}

TEST(HostEffectRenderer_Breathing, MulticolourAdvancesBySixteenPerCycle) {
  HostEffectRenderer renderer;
  renderer.SetZoneCount(1);
  renderer.SetLightState(State(5, 4, 0, 1, 1));
  for (int i = 0; i < 128; ++i) renderer.RenderBreathing();
  EXPECT_EQ(renderer.Phase(), 0);
  EXPECT_EQ(renderer.ColourIndex(), 16);
  EXPECT_EQ(renderer.GetZoneColour(0), (ZoneColour{0xFF, 0x51, 0x00, 0}));
}

TEST(HostEffectRenderer_Blink, TogglesAfterPeriod) {
  FakeClock clock;
  clock.AdvanceMs(10000);
  HostEffectRenderer renderer(clock.Clock());
  renderer.SetZoneCount(2);
  renderer.SetLightState(State(23, 3, 4, 1, 0, 9, 8, 7));  // 7 x 200 ms
  renderer.RenderBlink();
  EXPECT_EQ(renderer.GetZoneColour(1), (ZoneColour{9, 8, 7, 190}));
  clock.AdvanceMs(1399);
  renderer.RenderBlink();
  EXPECT_EQ(renderer.GetZoneColour(1).brightness, 190);
  clock.AdvanceMs(1);
  renderer.RenderBlink();
  EXPECT_EQ(renderer.GetZoneColour(1), ZoneColour{});
}

TEST(HostEffectRenderer_Zones, OutOfRangeIsIgnored) {
  HostEffectRenderer renderer;
  renderer.SetZoneCount(4);
  renderer.SetZoneColour(4, {1, 2, 3, 4});
  EXPECT_EQ(renderer.GetZoneColour(4), ZoneColour{});
  renderer.SetZoneColour(3, {1, 2, 3, 4});
  EXPECT_EQ(renderer.GetZoneColour(3), (ZoneColour{1, 2, 3, 4}));
  renderer.SetZoneCount(4);
  EXPECT_EQ(renderer.GetZoneColour(3), ZoneColour{});
}

TEST(HostEffectRenderer_Fade, ModeZeroSequenceFrom200ToDark) {
  HostEffectRenderer renderer;
  renderer.SetKeyLevel(7, 200);
  std::vector<int> expected = {160, 120, 90, 60, 45, 30, 22, 14};
  for (int level = 13; level >= 0; --level) expected.push_back(level);
  expected.push_back(0);  // 0 stays 0
  for (int value : expected) {
    renderer.FadeKeyLevel(7, KeyboardLightMode::kLightList);
    EXPECT_EQ(renderer.KeyLevel(7), value);
  }
  renderer.FadeKeyLevel(200, KeyboardLightMode::kRipple);  // beyond the key levels: no effect, no crash
}

// One fade step at both edges of every band, for mode 0, mode 29 and any other mode.
TEST(HostEffectRenderer_Fade, StepByBandAndMode) {
  struct Band {
    int level;
    int mode0;
    int mode29;
    int other;
  };
  const Band bands[] = {
      {255, 40, 45, 40}, {144, 40, 45, 40}, {143, 40, 40, 40}, {128, 40, 40, 40}, {127, 30, 35, 30},
      {112, 30, 35, 30}, {111, 30, 30, 30}, {96, 30, 30, 30},  {95, 30, 25, 30},  {80, 30, 25, 30},
      {79, 30, 20, 30},  {64, 30, 20, 30},  {63, 15, 10, 10},  {32, 15, 10, 10},  {31, 8, 5, 8},
      {17, 8, 5, 8},     {16, 1, 1, 1},     {1, 1, 1, 1},      {0, 0, 0, 0},
  };
  HostEffectRenderer renderer;
  for (const Band& band : bands) {
    for (const auto& [mode, step] : {std::pair{0, band.mode0}, std::pair{29, band.mode29}, std::pair{8, band.other}}) {
      renderer.SetKeyLevel(3, static_cast<uint8_t>(band.level));
      renderer.FadeKeyLevel(3, ToKeyboardLightMode(mode));
      EXPECT_EQ(renderer.KeyLevel(3), band.level - step) << "level " << band.level << " mode " << mode;
    }
  }
}

TEST(HostEffectRenderer_Ring, RotateAndLight) {
  HostEffectRenderer renderer;
  renderer.RotateRing(true);
  renderer.LightRingKeys();
  EXPECT_EQ(renderer.KeyLevel(0), 0);
}

TEST(KalvexUSBDevice_Frame, ScalesAndCapsAt170Zones) {
  std::vector<ZoneColour> zones(175, ZoneColour{200, 100, 255, 128});
  const auto frame = CKalvexUSBDevice::BuildFrame(zones);
  EXPECT_EQ(frame[0], 100);
  EXPECT_EQ(frame[1], 50);
  EXPECT_EQ(frame[2], 127);
  EXPECT_EQ(frame[509], 127);
  EXPECT_EQ(frame[510], 0);
  EXPECT_EQ(frame[511], 0);
}

TEST(KalvexUSBDevice_Unplugged, CommandsReturnZeroAndHostLightingSendsNothing) {
  CKalvexUSBDevice device({"/nonexistent/", "/nonexistent/"}, "mouse");
  EXPECT_EQ(device.GetKind(), DeviceKind::kNone);
  EXPECT_EQ(device.GetFunctionSwitch(), 1);
  EXPECT_EQ(device.SelectedKey(), -1);
  EXPECT_TRUE(device.HostLighting());
  device.SetHostLighting(false);
  EXPECT_FALSE(device.HostLighting());
  device.SendLightFrame();
  EXPECT_EQ(device.Channel().BeginConfig(), 0);
  EXPECT_EQ(device.WriteSettingsRecord(0, 0), 0);
  EXPECT_TRUE(device.IsReceiverLinkUp());
}

}  // namespace
}  // namespace zt640
