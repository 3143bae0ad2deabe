#include "devices/zone_effect_renderer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zt640 {
namespace {

LightState State(uint8_t mode, bool multicolour, ZoneColour colour = {0x10, 0x20, 0x30, 0}) {
  LightState state;
  state.bytes[LightState::kMode] = mode;
  state.bytes[LightState::kBrightness] = 4;
  state.bytes[LightState::kDirection] = 1;
  state.bytes[LightState::kMulticolour] = multicolour ? 1 : 0;
  state.bytes[LightState::kRed] = colour.red;
  state.bytes[LightState::kGreen] = colour.green;
  state.bytes[LightState::kBlue] = colour.blue;
  return state;
}

TEST(ZoneEffectRenderer, PeriodsFollowTheSpeedLevelsAndOnlyStaticAndOffAreSteady) {
  const std::vector<uint32_t> periods = {28, 23, 18, 13, 7, 7};
  for (uint8_t speed = 0; speed < periods.size(); ++speed) EXPECT_EQ(ZoneEffectRenderer::PeriodMs(speed), periods[speed]);
  for (int mode = 0; mode <= 9; ++mode) EXPECT_EQ(ZoneEffectRenderer::IsSteadyMode(mode), mode == 3 || mode == 8) << mode;
}

TEST(ZoneEffectRenderer, MulticolourWaveShowsWheelEntriesSevenApartPerGroupOfThree) {
  ZoneEffectRenderer renderer(EffectClock(), 1);
  renderer.SetZoneCount(13);
  renderer.SetLightState(State(0, true));
  renderer.RenderMode(0);
  // Wheel entries 1, 8, 15, 22, 29: red full, green on the rising ramp.
  const std::vector<uint8_t> greens = {0x03, 0x1A, 0x49, 0x8C, 0xE3};
  for (size_t zone = 0; zone < 13; ++zone) {
    const ZoneColour expected{0xFF, greens[zone / 3], 0x00, 255};
    EXPECT_EQ(renderer.GetZoneColour(zone), expected) << zone;
  }
}

TEST(ZoneEffectRenderer, ReactiveZonesFadeInAndOutByFifteen) {
  ZoneEffectRenderer renderer(EffectClock(), 1);
  renderer.SetZoneCount(15);
  renderer.SetLightState(State(6, false, {0xFF, 0xFF, 0xFF, 0}));
  renderer.StartReactive(4);
  renderer.RenderMode(6);
  EXPECT_EQ(renderer.GetZoneColour(4).brightness, 255 * 15 / 256);
  EXPECT_EQ(renderer.GetZoneColour(3).brightness, 0);
  for (int i = 1; i < 17; ++i) renderer.RenderMode(6);
  EXPECT_EQ(renderer.GetZoneColour(4).brightness, 254);  // 255 x 255 / 256
  renderer.RenderMode(6);
  EXPECT_EQ(renderer.GetZoneColour(4).brightness, 255 * 240 / 256);
  for (int i = 0; i < 16; ++i) renderer.RenderMode(6);
  EXPECT_EQ(renderer.GetZoneColour(4).brightness, 0);
}

TEST(ZoneEffectRenderer, TheLightListPlaysEachEntryForItsDurationThenWraps) {
  auto now_us = std::make_shared<uint64_t>(0);
  ZoneEffectRenderer renderer(EffectClock([now_us] { return *now_us; }), 1);
  renderer.SetZoneCount(3);
  renderer.SetLightState(State(9, false));
  renderer.RenderMode(9);
  EXPECT_EQ(renderer.GetZoneColour(0), ZoneColour{});  // an empty list is off
  EffectFrame red;
  red.effect = {.mode = 3, .brightness = 4, .red = 0xFF};
  red.time = 100;
  EffectFrame blue;
  blue.effect = {.mode = 3, .brightness = 2, .blue = 0xFF};
  blue.time = 50;
  renderer.SetLightList({red, blue});
  renderer.RenderMode(5);
  EXPECT_EQ(renderer.GetZoneColour(2), (ZoneColour{0xFF, 0, 0, 255}));
  *now_us = 99'000;
  renderer.RenderMode(5);
  EXPECT_EQ(renderer.GetZoneColour(2).red, 0xFF);
  *now_us = 100'000;
  renderer.RenderMode(5);
  EXPECT_EQ(renderer.GetZoneColour(2), (ZoneColour{0, 0, 0xFF, 126}));
  *now_us = 150'000;
  renderer.RenderMode(5);
  EXPECT_EQ(renderer.GetZoneColour(2).red, 0xFF);
  // The state the list played under is the device's own again.
  EXPECT_EQ(renderer.GetLightState().mode(), 9);
}

}  // namespace
}  // namespace zt640
