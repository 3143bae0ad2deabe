#include <gtest/gtest.h>
#include <json/json.h>

#include <vector>

#include "devices/keyboard/keyboard_key_matcher.h"
#include "devices/keyboard/keyboard_listener.h"
#include "devices/keyboard/keyboard_settings_record.h"
#include "devices/macro_table.h"

namespace zt640 {
namespace {

TEST(KeyboardSettingsRecord_Build, ExactBytes) {
  LightEffect effect;
  effect.mode = 3;
  effect.brightness = 4;
  effect.speed = 1;
  effect.direction = 1;
  effect.multicolor = 1;
  effect.red = 0x11;
  effect.green = 0x22;
  effect.blue = 0x33;
  effect.zzcc_led_mode = 2;
  effect.custom_group = 1;
  KeyboardOptions options;
  options.repeat = 9;
  options.w_flag = 1;
  options.key6_flag = 0x0102;
  options.win_flag = 1;
  options.polling_rate = 3;
  options.mac_mode = 1;
  options.wheel = 2;
  const auto record = KeyboardSettingsRecord::Build(0, 7, effect, options);
  const std::array<uint8_t, 29> expected = {0, 7, 4, 3, 1, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0, 0, 0,
                                            0, 0, 0, 2, 1, 2, 1, 3, 0, 0, 1, 0, 1, 2};
  EXPECT_EQ(record.bytes, expected);
  EXPECT_EQ(KeyboardSettingsRecord::Build(0, 29, effect, options).bytes[1], 0xFE);
  EXPECT_EQ(KeyboardSettingsRecord::Build(0, 30, effect, options).bytes[1], 0xFE);
}

TEST(KeyboardSettingsRecord_Apply, PollingRateStays) {
  KeyboardSettingsRecord record;
  record.bytes[KeyboardSettingsRecord::kInverseSpeed] = 4;
  record.bytes[KeyboardSettingsRecord::kPollingRate] = 2;
  record.bytes[KeyboardSettingsRecord::kWheel] = 5;
  LightEffect effect;
  KeyboardOptions options;
  options.polling_rate = 1;
  record.ApplyTo(&effect, &options);
  EXPECT_EQ(effect.speed, 0);
  EXPECT_EQ(options.polling_rate, 1);
  EXPECT_EQ(options.wheel, 5);
}

TEST(MacroTable_Build, ExactBytesAndSizes) {
  std::vector<std::vector<MacroDeviceEvent>> macros(3);
  macros[0].assign(10, MacroDeviceEvent{1, 2, 3});
  macros[2].assign(4, MacroDeviceEvent{0x1234, 0x81, 0x04});
  EXPECT_EQ(MacroTable::TotalSize(macros), 90u);
  const auto table = MacroTable::Build(macros);
  ASSERT_EQ(table.size(), 90u);
  EXPECT_EQ(table[0], 0xAA);
  EXPECT_EQ(table[1], 0x55);
  EXPECT_EQ(table[2], 90);
  EXPECT_EQ(table[4], 3);
  // Offsets: 22, 22 + 4 + 40 = 66, 70.
  EXPECT_EQ(table[16], 22);
  EXPECT_EQ(table[18], 66);
  EXPECT_EQ(table[20], 70);
  EXPECT_EQ(table[22], 10);
  EXPECT_EQ(table[26], 1);
  EXPECT_EQ(table[28], 2);
  EXPECT_EQ(table[29], 3);
  EXPECT_EQ(table[66], 0);  // macro 1: only its header
  EXPECT_EQ(table[70], 4);
  EXPECT_EQ(table[74], 0x34);
  EXPECT_EQ(table[75], 0x12);
  EXPECT_EQ(table[76], 0x81);
  EXPECT_EQ(table[77], 0x04);
}

TEST(MacroTable_Events, ActionDelayAndTypeBit) {
  Json::Value events(Json::arrayValue);
  Json::Value down;
  down["Action"] = "down";
  down["Type"] = 2;
  down["Button"] = 4;
  down["Delay"] = "70000";
  events.append(down);
  Json::Value up = down;
  up["Action"] = "up";
  up["Type"] = 0x82;  // a type with bit 7 already set keeps it only by its action
  up["Delay"] = "12x";
  events.append(up);
  const auto parsed = MacroTable::EventsFromJson(events);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0], (MacroDeviceEvent{4464, 0x82, 4}));
  EXPECT_EQ(parsed[1], (MacroDeviceEvent{0, 0x02, 4}));
}

TEST(KeyboardKeyMatcher_Match, FirstMatchSharedValuesAndBadLightPositions) {
  std::vector<uint8_t> table(3 * 5, 0);
  // Device key 0: F13-like unknown value; 1: Esc (UI 0); 2: 20 00 00 (UI 18, 19, 20, 104); 3: 20 00 00 again; 4: F1 (UI 1).
  table = {0x20, 0, 0x68, 0x20, 0, 0x29, 0x20, 0, 0, 0x20, 0, 0, 0x20, 0, 0x3A};
  const std::vector<uint8_t> light = {9, 10, 11, 12, 200};
  KeyboardKeyMatcher::KeyMap keys{};
  KeyboardKeyMatcher::KeyMap lights{};
  KeyboardKeyMatcher::Match(table, light, 5, &keys, &lights);
  EXPECT_EQ(keys[0], 1);
  EXPECT_EQ(lights[0], 10);
  EXPECT_EQ(keys[18], 2);
  EXPECT_EQ(keys[19], 2);
  EXPECT_EQ(keys[104], 2);
  EXPECT_EQ(keys[1], 4);
  EXPECT_EQ(lights[1], 255);  // position 200 lies beyond the zones
  EXPECT_EQ(keys[2], 255);
  KeyboardKeyMatcher::Match(table, light, 0, &keys, &lights);
  EXPECT_EQ(keys[0], 255);
}

TEST(ListenerDecode, UsagesOfTheSynchronisationInterface) {
  EXPECT_EQ(DecodeListenerUsage(1025)->kind, ListenerEvent::Kind::kSync);
  EXPECT_EQ(DecodeListenerUsage(1026)->kind, ListenerEvent::Kind::kReload);
  const auto slot = DecodeListenerUsage(0x1003);
  ASSERT_TRUE(slot);
  EXPECT_EQ(slot->kind, ListenerEvent::Kind::kSlot);
  EXPECT_EQ(slot->slot, 3);
  EXPECT_FALSE(slot->has_sub_code);
  const auto sub = DecodeListenerUsage(0x11A2);
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->slot, 2);
  EXPECT_EQ(sub->sub_code, 0x0A);
  EXPECT_FALSE(DecodeListenerUsage(0x1203));
  EXPECT_FALSE(DecodeListenerUsage(0x8105));
  EXPECT_FALSE(DecodeListenerUsage(1024));
  const auto key = DecodeListenerUsage(0x0517);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->kind, ListenerEvent::Kind::kKeyDown);
  EXPECT_EQ(key->device_key, 0x17);
  EXPECT_EQ(DecodeListenerUsage(0x06FF)->kind, ListenerEvent::Kind::kKeyUp);
}

}  // namespace
}  // namespace zt640
