#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "devices/host_effects.h"
#include "devices/kalvex_usb_device.h"
#include "platform/sync/event.h"
#include "shell/device_table_answer.h"
#include "shell/game_event_lighting.h"
#include "catalogue/interface_catalogue.h"
#include "shell/light_sync.h"

namespace zt640 {
namespace {

TEST(CommonEffects, ModesMapBetweenKinds) {
  // Keyboard flashing (23) is the mouse's and the pad's mode 4.
  const auto flashing = CommonEffects::FromMode(DeviceKind::kKeyboard, 23);
  ASSERT_TRUE(flashing.has_value());
  EXPECT_EQ(CommonEffects::ModeFor(DeviceKind::kMouse, *flashing), 4);
  EXPECT_EQ(CommonEffects::ModeFor(DeviceKind::kMousePad, *flashing), 4);
  EXPECT_EQ(CommonEffects::ModeFor(DeviceKind::kHeadset, CommonEffects::kOff), 8);
  EXPECT_EQ(CommonEffects::ModeFor(DeviceKind::kMouse, CommonEffects::kOff), 9);
  EXPECT_EQ(CommonEffects::FromMode(DeviceKind::kKeyboard, 5), CommonEffects::kBreathing);
  // A keyboard mode outside the table, and an unknown kind, have none.
  EXPECT_FALSE(CommonEffects::FromMode(DeviceKind::kKeyboard, 20).has_value());
  EXPECT_FALSE(CommonEffects::FromMode(DeviceKind::kMouseReceiver, 2).has_value());
}

void Fill(SharedSyncEffect& shared, CommonEffects::Effect effect, uint8_t brightness, uint8_t speed,
          uint8_t direction, bool multicolour) {
  LightEffect from;
  from.brightness = brightness;
  from.speed = speed;
  from.direction = direction;
  from.multicolor = multicolour ? 1 : 0;
  from.red = 10;
  from.green = 20;
  from.blue = 30;
  shared.Remember(effect, from);
}

TEST(LightSyncEngine, BreathingRampsByDirectionAndScalesByLevel) {
  SharedSyncEffect up;
  Fill(up, CommonEffects::kBreathing, 4, 0, 1, false);
  LightSyncEngine engine;
  ZoneColour colour = engine.Step(up, 0);
  EXPECT_EQ(engine.RampPosition(), 1);
  EXPECT_EQ(colour.red, 10);
  EXPECT_EQ(colour.brightness, 255 * HostEffects::BreathingCurve()[1] / 256);

  SharedSyncEffect down;
  Fill(down, CommonEffects::kBreathing, 2, 0, 0, false);
  LightSyncEngine backwards;
  colour = backwards.Step(down, 0);
  EXPECT_EQ(backwards.RampPosition(), 127);
  EXPECT_EQ(colour.brightness, 126 * HostEffects::BreathingCurve()[127] / 256);
}

TEST(LightSyncEngine, MulticolourBreathingMovesTheWheelOnlyAtTheRampStart) {
  SharedSyncEffect effect;
  Fill(effect, CommonEffects::kBreathing, 4, 0, 1, true);
  LightSyncEngine engine;
  (void)engine.Step(effect, 0);  // ramp 1: wheel +16
  EXPECT_EQ(engine.WheelPosition(), 16);
  (void)engine.Step(effect, 0);  // ramp 2: no move
  EXPECT_EQ(engine.WheelPosition(), 16);
  for (int i = 0; i < 126; ++i) (void)engine.Step(effect, 0);  // back to ramp 0
  EXPECT_EQ(engine.RampPosition(), 0);
  EXPECT_EQ(engine.WheelPosition(), 32);
}

TEST(LightSyncEngine, FlashingTogglesByTimeAndCycleWraps) {
  SharedSyncEffect flashing;
  Fill(flashing, CommonEffects::kFlashing, 4, 4, 0, false);  // step length 7: 1400 ms
  LightSyncEngine engine;
  ZoneColour colour = engine.Step(flashing, 1000);
  EXPECT_EQ(colour.brightness, 255);
  colour = engine.Step(flashing, 1000 + 1399);
  EXPECT_EQ(colour.brightness, 255) << "no toggle before the period";
  colour = engine.Step(flashing, 1000 + 1400);
  EXPECT_EQ(colour.brightness, 0);
  EXPECT_EQ(colour.red, 0);

  SharedSyncEffect cycle;
  Fill(cycle, CommonEffects::kColourCycle, 1, 0, 0, false);
  LightSyncEngine wheel;
  for (int i = 0; i < HostEffects::kWheelSize - 1; ++i) (void)wheel.Step(cycle, 0);
  EXPECT_EQ(wheel.WheelPosition(), HostEffects::kWheelSize - 1);
  colour = wheel.Step(cycle, 0);
  EXPECT_EQ(wheel.WheelPosition(), 0);
  EXPECT_EQ(colour.brightness, 63);

  SharedSyncEffect off_effect;
  Fill(off_effect, CommonEffects::kOff, 4, 0, 0, false);
  const ZoneColour off = LightSyncEngine().Step(off_effect, 0);
  EXPECT_EQ(off.brightness, 0);
}

TEST(LightSyncThread, WithNoSynchronisedDeviceItStopsPromptly) {
  SyncDeviceList devices;
  SharedSyncEffect effect;
  platform::Event stop;
  std::thread worker([&] { RunLightSync(stop, devices, effect); });
  // No state shows the thread inside its idle wait: give it time to get there.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto asked = std::chrono::steady_clock::now();
  stop.Set();
  worker.join();
  // It waits out its idle second on the stop event, so the stop is not held up.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
}

TEST(GameEventLighting, ActionZeroSavesTheModeOthersDoNot) {
  auto words = [](uint8_t mode, uint8_t saved) {
    LightState state;
    state.bytes[LightState::kMode] = mode;
    state.bytes[LightState::kPreviousMode] = saved;
    state.bytes[LightState::kRed] = 77;
    return state.Words();
  };
  auto after = GameEventLighting::EventState(words(6, 0), 0, 23);
  EXPECT_EQ(LightState::FromWords(after).mode(), 23);
  EXPECT_EQ(GameEventLighting::SavedMode(after), 6);
  EXPECT_EQ(LightState::FromWords(after).bytes[LightState::kRed], 77);
  // Mode 0 and modes above 20 are saved as 1.
  EXPECT_EQ(GameEventLighting::SavedMode(GameEventLighting::EventState(words(0, 0), 0, 4)), 1);
  EXPECT_EQ(GameEventLighting::SavedMode(GameEventLighting::EventState(words(29, 0), 0, 4)), 1);
  EXPECT_EQ(GameEventLighting::SavedMode(GameEventLighting::EventState(words(20, 0), 0, 4)), 20);
  // Actions 1 and 2 keep what an earlier event saved; others change nothing.
  after = GameEventLighting::EventState(words(23, 6), 2, 4);
  EXPECT_EQ(LightState::FromWords(after).mode(), 4);
  EXPECT_EQ(GameEventLighting::SavedMode(after), 6);
  EXPECT_EQ(GameEventLighting::EventState(words(23, 6), 3, 4), words(23, 6));
  // The low byte of the mode parameter is the mode.
  EXPECT_EQ(LightState::FromWords(GameEventLighting::EventState(words(5, 0), 1, 0x105)).mode(), 5);
  EXPECT_EQ(LightState::FromWords(GameEventLighting::RestoredState(words(23, 6))).mode(), 6);
}

TEST(DeviceTableAnswer, AlwaysTwoHundredFiftySixIntegers) {
  InterfaceCatalogue catalogue;
  const std::vector<uint8_t> block = DeviceTableAnswer::Build(catalogue);
  ASSERT_EQ(block.size(), 1024u);
  auto word = [&](size_t i) {
    return static_cast<uint32_t>(block[4 * i]) | static_cast<uint32_t>(block[4 * i + 1]) << 8 |
           static_cast<uint32_t>(block[4 * i + 2]) << 16 | static_cast<uint32_t>(block[4 * i + 3]) << 24;
  };
  EXPECT_EQ(word(0), 2u);
  EXPECT_EQ(word(1), 3u);
  EXPECT_EQ(word(2), 0u);
  EXPECT_EQ(word(3), 2u);
  EXPECT_EQ(word(4), 4u);
  const auto& keyboard = catalogue.Types()[InterfaceCatalogue::kKeyboardType];
  const size_t row = 5 + 3 * InterfaceCatalogue::kKeyboardType;
  EXPECT_EQ(word(row), keyboard.vendor_id);
  EXPECT_EQ(word(row + 1), keyboard.product_id);
  EXPECT_EQ(word(row + 2), static_cast<uint32_t>(keyboard.kind));
  for (size_t i = 5 + 3 * 4; i < 256; ++i) ASSERT_EQ(word(i), 0u) << i;
}

}  // namespace
}  // namespace zt640
