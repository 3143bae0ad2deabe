#include <gtest/gtest.h>

#include <vector>

#include "devices/mouse/dpi_scale.h"
#include "devices/mouse/mouse_button_map.h"
#include "devices/mouse/mouse_settings_record.h"
#include "devices/mouse/mouse_system_settings.h"

namespace zt640 {
namespace {

// Factory values of the eleven logical buttons, in logical order.
const std::vector<std::vector<uint8_t>> kFactory = {
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};

std::vector<uint8_t> Table(const std::vector<int>& logical_at_position) {
  std::vector<uint8_t> table;
  for (int j : logical_at_position) {
    if (j < 0) {
      table.insert(table.end(), {0x20, 0x00, 0x04});  // a keyboard key: no logical button
    } else {
      table.insert(table.end(), kFactory[static_cast<size_t>(j)].begin(), kFactory[static_cast<size_t>(j)].end());
    }
  }
  return table;
}

TEST(MouseButtonMap_Match, FindsFirstPositionOfEachButtonInDeviceOrder) {
  // Device order differs from logical order; button 3 appears twice.
  const auto table = Table({2, 0, 1, 4, 3, 3, 5, 6, 7, 8, 9, 10});
  const MouseButtonMap map = MouseButtonMap::Match(table, 12);
  const std::array<uint8_t, 11> expected = {1, 2, 0, 4, 3, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(map.Positions(), expected);
}

TEST(MouseButtonMap_Match, ButtonsMissingOrBeyondKeyCountAreAbsent) {
  // No DPI cycle (0x13 0x03 0x00): button 7 is absent.
  const auto without_cycle = Table({0, 1, 2, 3, 4, 5, 6, 8, 9, 10});
  const MouseButtonMap map = MouseButtonMap::Match(without_cycle, 10);
  EXPECT_EQ(map.Position(MouseButtonMap::kDpiCycle), MouseButtonMap::kAbsent);
  EXPECT_EQ(map.Position(MouseButtonMap::kGmKey), 7);

  // Keys beyond the key count, or beyond the bytes read, do not count.
  const MouseButtonMap short_count = MouseButtonMap::Match(without_cycle, 2);
  EXPECT_TRUE(short_count.Has(MouseButtonMap::kRight));
  EXPECT_FALSE(short_count.Has(MouseButtonMap::kMiddle));
  const MouseButtonMap short_table = MouseButtonMap::Match(std::span(without_cycle).first(4), 10);
  EXPECT_TRUE(short_table.Has(MouseButtonMap::kLeft));
  EXPECT_FALSE(short_table.Has(MouseButtonMap::kRight));

  // A table of keys that match nothing leaves every button absent.
  const MouseButtonMap none = MouseButtonMap::Match(Table({-1, -1, -1}), 3);
  for (size_t j = 0; j < MouseButtonMap::kButtonCount; ++j) EXPECT_FALSE(none.Has(j)) << j;
}

struct DpiCase {
  int level_or_dpi;
  int expected;
};

TEST(DpiScale_TwoSlopeSensor, ShownValuesAndTypedValuesAgree) {
  const DpiScale scale(0x3325, 100, 73, 200);
  for (const DpiCase c : {DpiCase{0, 200}, {38, 4000}, {48, 5000}, {49, 5200}, {50, 5400}, {73, 10000}}) {
    EXPECT_EQ(scale.LevelToDpi(c.level_or_dpi), c.expected) << "level " << c.level_or_dpi;
  }
  // Typed values: shown values give their level back, values between levels
  // round down, values below the base count as the base, the top is limited.
  for (const DpiCase c : {DpiCase{5400, 50}, {4000, 38}, {100, 0}, {5000, 48}, {5100, 48}, {5399, 49},
                          {4050, 38}, {200, 0}, {10000, 73}, {20000, 73}, {-5, 0}}) {
    EXPECT_EQ(scale.DpiToLevel(c.level_or_dpi), c.expected) << "dpi " << c.level_or_dpi;
  }
  for (int level = 0; level <= 73; ++level) EXPECT_EQ(scale.DpiToLevel(scale.LevelToDpi(level)), level);
}

TEST(DpiScale_OtherSensor, OneSlopeAboveLevel48) {
  const DpiScale scale(0x3389, 50, 100, 100);
  EXPECT_EQ(scale.LevelToDpi(50), 2600);
  EXPECT_EQ(scale.DpiToLevel(2600), 50);
  EXPECT_EQ(scale.DpiToLevel(2649), 50);
  EXPECT_EQ(scale.DpiFieldMaximum(), 5000);
}

TEST(DpiScale_UnusableRecord, StepOrMaximumZeroConvertsNothing) {
  EXPECT_EQ(DpiScale(0x3325, 0, 73, 200).DpiToLevel(5400), std::nullopt);
  EXPECT_EQ(DpiScale(0x3325, 100, 0, 200).DpiToLevel(5400), std::nullopt);
  EXPECT_EQ(DpiScale().DpiToLevel(800), std::nullopt);
  EXPECT_EQ(DpiScale(0x3325, 0, 73, 200).LevelToDpi(10), 200);
  EXPECT_EQ(DpiScale(0x3325, 100, 73, 200).ClampLevel(90), 73);
  EXPECT_EQ(DpiScale().ClampLevel(90), 90);
  EXPECT_EQ(DpiScale().ClampLevel(-1), 0);
}

TEST(MouseSettingsRecord_Build, LaysOutEveryField) {
  MouseSettingsInput input;
  input.slot_byte = 0;
  input.mode_code = 0x21;
  input.light = LightEffect{.mode = 3, .brightness = 4, .speed = 1, .direction = 1, .multicolor = 1,
                            .red = 0x11, .green = 0x22, .blue = 0x33};
  input.report_rate = 3;
  input.current_stage = 2;
  input.stages = {{1, 0, 0x0102, 0x0304, 0xFF, 0x00, 0x80}, {0, 1, 50, 60, 1, 2, 3}};
  input.byte59 = 1;
  input.screen_width = 1920;
  input.screen_height = 1080;
  input.correct_min_sq = 7;
  input.correct_pix_thresh = 9;
  const MouseSettingsRecord record = MouseSettingsRecord::Build(input);

  std::vector<uint8_t> expected(66, 0);
  const std::vector<uint8_t> head = {0x00, 0x21, 4, 3, 1, 1, 0x11, 0x22, 0x33, 0, 0, 3, 2, 0};
  std::copy(head.begin(), head.end(), expected.begin());
  const std::vector<uint8_t> stages = {1, 0, 0x02, 0x01, 0x04, 0x03, 0xFF, 0x00, 0x80,
                                       0, 1, 50, 0, 60, 0, 1, 2, 3};
  std::copy(stages.begin(), stages.end(), expected.begin() + 14);
  // Byte 59, then 1920 = 0x0780 and 1080 = 0x0438 low byte first, then the correction.
  const std::vector<uint8_t> tail = {1, 0x80, 0x07, 0x38, 0x04, 7, 9};
  std::copy(tail.begin(), tail.end(), expected.begin() + 59);
  const auto written = record.WriteBytes();
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), expected);
}

TEST(MouseSettingsRecord_Build, OutOfRangeValuesAreWrittenAsZeroAndExtraStagesDropped) {
  MouseSettingsInput input;
  input.report_rate = 5;
  input.current_stage = 7;
  input.light.speed = 9;
  input.stages.assign(6, DpiStage{1, 1, 0xFFFF, 0xFFFF, 1, 1, 1});
  const MouseSettingsRecord record = MouseSettingsRecord::Build(input);
  EXPECT_EQ(record.bytes[11], 0);
  EXPECT_EQ(record.bytes[12], 0);
  EXPECT_EQ(record.bytes[3], 0);
  EXPECT_EQ(record.bytes[58], 1);  // last byte of stage 4
  EXPECT_EQ(record.bytes[59], 1);  // byte 59 itself, not a sixth stage
  EXPECT_EQ(record.bytes[60], 0);
}

TEST(MouseSettingsRecord_Read, DecodesLightStagesAndSlot) {
  MouseSettingsRecord record;
  const std::vector<uint8_t> bytes = {5, 0x07, 2, 1, 0, 1, 10, 20, 30, 0, 0, 4, 3, 0,
                                      1, 1, 0x2C, 0x01, 0x58, 0x02, 9, 8, 7};
  std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
  record.bytes[70] = 0xEE;
  EXPECT_EQ(record.slot(), 5);
  EXPECT_EQ(record.mode_code(), 0x07);
  EXPECT_EQ(record.report_rate(), 4);
  EXPECT_EQ(record.current_stage(), 3);
  record.bytes[4] = 1;
  LightEffect effect{.mode = 6, .direction = 0};
  record.ApplyLightTo(&effect);
  EXPECT_EQ(effect, (LightEffect{.mode = 6, .brightness = 2, .speed = 3, .direction = 0, .multicolor = 1,
                                 .red = 10, .green = 20, .blue = 30}));
  EXPECT_EQ(record.Stage(0), (DpiStage{1, 1, 300, 600, 9, 8, 7}));
  EXPECT_EQ(record.Stage(5), DpiStage{});
}

TEST(MouseSystemSettings_Bytes, SixValuesLowByteFirst) {
  const MouseOptions options{300, 10, 1, 1, 0x0203, 4};
  const std::array<uint8_t, 12> expected = {0x2C, 0x01, 10, 0, 1, 0, 1, 0, 0x03, 0x02, 4, 0};
  EXPECT_EQ(MouseSystemSettings::ToBytes(options), expected);
  EXPECT_EQ(MouseSystemSettings::FromBytes(expected), options);
}

TEST(SelectedCorrection_List, FirstSelectedEntryOrNone) {
  std::vector<CorrectEntry> list = {{1, 2, 0, "a"}, {3, 4, 1, "b"}, {5, 6, 1, "c"}};
  ASSERT_NE(SelectedCorrection(list), nullptr);
  EXPECT_EQ(SelectedCorrection(list)->name, "b");
  list[1].selected = list[2].selected = 0;
  EXPECT_EQ(SelectedCorrection(list), nullptr);
}

}  // namespace
}  // namespace zt640
