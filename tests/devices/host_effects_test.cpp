#include <gtest/gtest.h>

#include <memory>

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

TEST(HostEffectRenderer_Fade, ModeZeroSequenceFrom200) {
  HostEffectRenderer renderer;
  renderer.SetKeyLevel(7, 200);
  const int expected[] = {160, 120, 90, 60, 45, 30, 22, 14, 13, 12};
  for (int value : expected) {
    renderer.FadeKeyLevel(7, 0);
    EXPECT_EQ(renderer.KeyLevel(7), value);
  }
  renderer.SetKeyLevel(7, 150);
  renderer.FadeKeyLevel(7, 29);
  EXPECT_EQ(renderer.KeyLevel(7), 105);
  renderer.SetKeyLevel(7, 40);
  renderer.FadeKeyLevel(7, 8);
  EXPECT_EQ(renderer.KeyLevel(7), 30);
  renderer.FadeKeyLevel(200, 8);  // beyond the key levels: no effect, no crash
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
  EXPECT_EQ(device.GetKind(), kKindNone);
  EXPECT_EQ(device.GetFunctionSwitch(), 1);
  EXPECT_EQ(device.SelectedKey(), -1);
  EXPECT_TRUE(device.HostLighting());
  device.SetHostLighting(false);
  EXPECT_FALSE(device.HostLighting());
  device.SendLightFrame();
  EXPECT_EQ(device.Channel().BeginConfig(), 0);
  EXPECT_EQ(device.WriteSettingsRecord(0, 0), 0);
  EXPECT_EQ(device.IsReceiverLinkUp(), 1);
}

}  // namespace
}  // namespace zt640
