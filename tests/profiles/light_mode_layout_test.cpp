#include "profiles/light_mode_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace zt640 {
namespace {

/// Six group states in the order multicolour, colour, palette, brightness, speed,
/// direction: 'Y' enabled, '-' disabled, 'h' (speed) hidden, 'x' (direction) left as
/// it was.
void ExpectGroups(const LightModeLayout& layout, const std::string& groups, const std::string& where) {
  ASSERT_EQ(groups.size(), 6u) << where;
  EXPECT_EQ(layout.multicolour, groups[0] == 'Y') << where;
  EXPECT_EQ(layout.colour, groups[1] == 'Y') << where;
  EXPECT_EQ(layout.palette, groups[2] == 'Y') << where;
  EXPECT_EQ(layout.brightness, groups[3] == 'Y') << where;
  EXPECT_EQ(layout.speed, groups[4] == 'Y') << where;
  EXPECT_EQ(layout.speed_hidden, groups[4] == 'h') << where;
  EXPECT_EQ(layout.direction_touched, groups[5] != 'x') << where;
  if (groups[5] != 'x') {
    EXPECT_EQ(layout.direction, groups[5] == 'Y') << where;
  }
}

struct KeyboardRow {
  const char* groups;
  /// 't' colour tab disabled, 'c' custom slot row, 'z' mode 17 row, 'a' audio row on
  /// page 1, 's' same-effect button offered.
  const char* extras;
  const char* first = "light_set_right_to_left_text";
  const char* second = "light_set_left_to_right_text";
};

const std::map<int, KeyboardRow>& KeyboardTable() {
  static const std::map<int, KeyboardRow> table = {
      {0, {"------", ""}},
      {1, {"YYYYYY", ""}},
      {2, {"YYYYYY", ""}},
      {3, {"YYYYYY", "", "light_set_clockwise_text", "light_set_anticlockwise_text"}},
      {4, {"---YY-", "t"}},
      {5, {"YYYYY-", ""}},
      {6, {"YYYY--", "s"}},
      {7, {"YYYYY-", ""}},
      {8, {"YYYYY-", ""}},
      {9, {"YYYYY-", ""}},
      {10, {"YYYYY-", ""}},
      {11, {"---YY-", "t"}},
      {12, {"---YYY", "t", "light_set_down_to_up_text", "light_set_up_to_down_text"}},
      {13, {"YYYYY-", ""}},
      {14, {"YYYYY-", ""}},
      {15, {"YYYYY-", ""}},
      {16, {"YYYY--", ""}},
      {17, {"---Yh-", "tz"}},
      {18, {"---Y-Y", "t", "light_set_outside_to_inside_text", "light_set_inside_to_outside_text"}},
      {19, {"------", ""}},
      {20, {"-YYYh-", "c"}},
      {21, {"YYYYYY", "", "light_set_up_to_down_text", "light_set_down_to_up_text"}},
      {22, {"YYYYY-", ""}},
      {23, {"YYYYY-", ""}},
      {24, {"YYYYYY", "", "light_set_clockwise_text", "light_set_anticlockwise_text"}},
      {25, {"YYYYY-", ""}},
      {26, {"YYYYY-", ""}},
      {27, {"---YY-", ""}},
      {28, {"------", "s"}},
      {29, {"YYYYhY", "a"}},
      {30, {"---Y--", "t"}},
      {31, {"------", ""}},
  };
  return table;
}

TEST(LightModeLayoutTest, KeyboardModes_MatchTheTableWithAndWithoutSameModePermission) {
  for (const auto& [mode, row] : KeyboardTable()) {
    const std::string extras = row.extras;
    const auto has = [&extras](char c) { return extras.find(c) != std::string::npos; };
    for (const bool allowed : {false, true}) {
      const std::string where = "mode " + std::to_string(mode) + (allowed ? " allowed" : "");
      const LightModeLayout layout = ModeLayout(DeviceKind::kKeyboard, mode, allowed);
      ExpectGroups(layout, row.groups, where);
      EXPECT_EQ(layout.colour_tab, !has('t')) << where;
      EXPECT_EQ(layout.custom_slot_row, has('c')) << where;
      EXPECT_EQ(layout.mode17_row, has('z')) << where;
      EXPECT_EQ(layout.audio_row, has('a')) << where;
      EXPECT_EQ(layout.page, has('a') ? 1 : 0) << where;
      EXPECT_EQ(layout.same_mode, allowed && has('s')) << where;
      EXPECT_EQ(layout.direction_first_key, row.first) << where;
      EXPECT_EQ(layout.direction_second_key, row.second) << where;
    }
  }
}

TEST(LightModeLayoutTest, KeyboardOutOfRangeModes_DisableEverythingWithDefaultRows) {
  for (const int mode : {-1, 32, 255}) {
    const LightModeLayout layout = ModeLayout(DeviceKind::kKeyboard, mode, true);
    ExpectGroups(layout, "------", std::to_string(mode));
    EXPECT_FALSE(layout.same_mode);
    EXPECT_TRUE(layout.colour_tab);
    EXPECT_FALSE(layout.custom_slot_row || layout.mode17_row || layout.audio_row);
  }
}

struct OtherRow {
  const char* groups;
  bool same_mode_offered;
};

/// Modes 0-10 of each other kind; modes past a kind's table are "others".
const std::map<int, std::map<int, OtherRow>>& OtherKindTables() {
  static const std::map<int, OtherRow> pad_or_headset = {
      {0, {"YYYYYY", false}}, {1, {"---YY-", true}}, {2, {"YYYYY-", true}}, {3, {"-YYY--", true}},
      {4, {"YYYYY-", true}},  {5, {"------", false}}, {6, {"------", false}}, {7, {"------", false}},
      {8, {"------", true}},  {9, {"------", false}}, {10, {"------", false}},
  };
  static const std::map<int, std::map<int, OtherRow>> tables = {
      {2,
       {
           {0, {"YYYYYY", false}}, {1, {"---YY-", true}},  {2, {"YYYYY-", true}}, {3, {"-YYY--", true}},
           {4, {"YYYYY-", true}},  {5, {"YYYYYY", false}}, {6, {"YYYYY-", true}}, {7, {"---YY-", false}},
           {8, {"---YY-", false}}, {9, {"------", true}},  {10, {"------", false}},
       }},
      {3, pad_or_headset},
      {4, pad_or_headset},
      {7, pad_or_headset},
      {5,
       {
           {0, {"YYYYYx", false}}, {1, {"-YYY-x", false}}, {2, {"YYYYYx", false}}, {3, {"YYYYYx", false}},
           {4, {"---YYx", false}}, {5, {"-----x", false}}, {6, {"-----x", false}}, {7, {"-----x", false}},
           {8, {"-----x", false}}, {9, {"-----x", false}}, {10, {"-----x", false}},
       }},
  };
  return tables;
}

TEST(LightModeLayoutTest, OtherKinds_MatchTheirTablesAndKeepKeyboardRowsAtDefaults) {
  const LightModeLayout defaults;
  for (const auto& [kind, table] : OtherKindTables()) {
    for (const auto& [mode, row] : table) {
      for (const bool allowed : {false, true}) {
        const std::string where =
            "kind " + std::to_string(kind) + " mode " + std::to_string(mode) + (allowed ? " allowed" : "");
        const LightModeLayout layout = ModeLayout(DeviceKindFromRaw(kind), mode, allowed);
        ExpectGroups(layout, row.groups, where);
        EXPECT_EQ(layout.same_mode, allowed && row.same_mode_offered) << where;
        EXPECT_EQ(layout.colour_tab, defaults.colour_tab) << where;
        EXPECT_EQ(layout.page, 0) << where;
        EXPECT_FALSE(layout.custom_slot_row || layout.mode17_row || layout.audio_row) << where;
        EXPECT_EQ(layout.direction_first_key, defaults.direction_first_key) << where;
        EXPECT_EQ(layout.direction_second_key, defaults.direction_second_key) << where;
      }
    }
  }
}

TEST(LightModeLayoutTest, UnknownKind_DisablesEveryGroupAndOffersNoSameMode) {
  for (const int kind : {0, 6, 9}) {
    const LightModeLayout layout = ModeLayout(DeviceKindFromRaw(kind), 1, true);
    ExpectGroups(layout, "------", "kind " + std::to_string(kind));
    EXPECT_FALSE(layout.same_mode);
  }
}

}  // namespace
}  // namespace zt640
