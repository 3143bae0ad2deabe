#include <gtest/gtest.h>

#include <set>

#include "profiles/editor_keyboard_page.h"
#include "profiles/key_catalogue.h"
#include "profiles/key_display_name.h"
#include "profiles/key_tables.h"

namespace zt640 {
namespace {

TEST(KeyAssignmentValue, PackUnpack_IgnoresHighBits) {
  EXPECT_EQ((KeyAssignment{0x70, 0x03, 0x0A}).Pack(), 0x70030A);
  EXPECT_EQ(KeyAssignment::Unpack(0x7F70030A), (KeyAssignment{0x70, 0x03, 0x0A}));
  EXPECT_EQ(KeyAssignment::Unpack(-1), (KeyAssignment{0xFF, 0xFF, 0xFF}));
}

TEST(KeyAssignmentValue, KeyRecord_DeviceImageAndEquality) {
  const KeyRecord record{0x0102, KeyAssignment{0x20, 0x01, 0x06}, 0};
  EXPECT_EQ(record.ToBytes(), (std::array<uint8_t, 6>{0x02, 0x01, 0x20, 0x01, 0x06, 0x00}));
  EXPECT_EQ(KeyRecord::FromBytes(record.ToBytes()).key_index, 0x0102);
  EXPECT_TRUE(SameAssignment(record, KeyRecord{7, KeyAssignment{0x20, 0x01, 0x06}, 0}));
  EXPECT_FALSE(SameAssignment(record, KeyRecord{0x0102, KeyAssignment{0x20, 0x01, 0x07}, 0}));
  const KeyListEntry entry{record, KeyRecord{0x0102, KeyAssignment{0x20, 0, 0x04}, 0}};
  EXPECT_EQ(entry.ToBytes(),
            (std::array<uint8_t, 12>{0x02, 0x01, 0x20, 0x01, 0x06, 0x00, 0x02, 0x01, 0x20, 0x00, 0x04, 0x00}));
}

TEST(KeyCatalogueRows, Catalogue_ShapeAndSpotRows) {
  const auto rows = KeyCatalogue::Rows();
  ASSERT_EQ(rows.size(), 142u);
  std::set<std::string> names;
  for (size_t i = 0; i < rows.size(); ++i) {
    names.insert(rows[i].name_key);
    EXPECT_EQ(rows[i].has_scan_code, i < 113 && i != 113) << i;
  }
  EXPECT_EQ(names.size(), 142u);
  EXPECT_STREQ(rows[0].name_key, "keyboard_key_LCtrl");
  EXPECT_EQ(rows[10].value, (KeyAssignment{0x20, 0, 0x06}));  // C
  EXPECT_EQ(rows[43].virtual_key, 0x30);                      // 0
  EXPECT_EQ(rows[91].virtual_key, 0x101);
  EXPECT_TRUE(rows[91].extended);
  EXPECT_STREQ(rows[130].name_key, "wed_stop");
  EXPECT_EQ(rows[131].value, (KeyAssignment{0x30, 0x83, 0x01}));
  EXPECT_EQ(rows[139].value, (KeyAssignment{0xD0, 0xA2, 5}));
  EXPECT_EQ(rows[141].value, (KeyAssignment{0xA0, 0x1B, 0}));
  EXPECT_FALSE(rows[113].has_scan_code);
  EXPECT_EQ(KeyCatalogue::FindByVirtualKey(0xBF), 59u);  // "/", before K42
  EXPECT_EQ(KeyCatalogue::FindByScanCode(0x38, true), 6u);   // right Alt
  EXPECT_EQ(KeyCatalogue::FindByScanCode(0x1C, true), 91u);  // keypad Enter
  EXPECT_EQ(KeyCatalogue::FindByScanCode(0x45, false), 75u); // Pause
  EXPECT_FALSE(KeyCatalogue::FindByScanCode(0x7F, false).has_value());
}

TEST(KeyCatalogueRows, EditorPage_PositionsCarryCatalogueValues) {
  EXPECT_EQ(EditorKeyboardPage::Row(0).assignment, (KeyAssignment{0x20, 0, 0x29}));  // Esc
  EXPECT_EQ(EditorKeyboardPage::Row(96).assignment, (KeyAssignment{0xA0, 0x01, 0}));  // FN
  EXPECT_EQ(EditorKeyboardPage::Row(104).assignment, (KeyAssignment{0x20, 0, 0}));
  EXPECT_EQ(EditorKeyboardPage::Row(110).assignment, (KeyAssignment{0xD0, 0xA2, 5}));
  EXPECT_EQ(EditorKeyboardPage::Row(114).assignment, (KeyAssignment{0x20, 0, 0x85}));  // K107
  EXPECT_EQ(EditorKeyboardPage::Row(125).assignment, (KeyAssignment{0x20, 0, 0}));
  EXPECT_EQ(EditorKeyboardPage::Row(125).key_index, 125);
  EXPECT_EQ(EditorKeyboardPage::OptionName(90), "keyboard_key_90");
  std::set<int32_t> values;
  for (size_t p = 0; p < EditorKeyboardPage::kPositionCount; ++p) values.insert(EditorKeyboardPage::Row(p).assignment.Pack());
  EXPECT_EQ(values.size(), 115u);  // 114 keys plus the shared "no key" value
}

TEST(KeyTablesContent, Tables_SizesAndUsages) {
  EXPECT_EQ(KeyTables::MouseButtons().size(), 5u);
  EXPECT_EQ(KeyTables::ConsumerControls().size(), 18u);
  EXPECT_EQ(KeyTables::ConsumerControls()[10].value, (KeyAssignment{0x30, 0x26, 0x02}));
  EXPECT_EQ(KeyTables::CombinationKeys().size(), 11u);
  EXPECT_EQ(KeyTables::ShortcutCommands()[8].value, (KeyAssignment{0x22, 0, 8}));
  EXPECT_EQ(KeyTables::GunKeyNames().size(), 4u);
}

/// Name keys shown in brackets so tests see which keys were used.
std::string Bracketed(std::string_view key) { return "[" + std::string(key) + "]"; }

struct DisplayCase {
  KeyAssignment value;
  KeyPanelKind panel;
  std::optional<std::string> text;
};

class KeyDisplayNames : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(KeyDisplayNames, Text_FollowsTypeRules) {
  const DisplayCase& c = GetParam();
  EXPECT_EQ(KeyDisplayName::Text(c.value, c.panel, {"Macro A", "Macro B"}, Bracketed), c.text);
}

constexpr auto kKeyboard = KeyPanelKind::Keyboard;
constexpr auto kMouse = KeyPanelKind::Mouse;

INSTANTIATE_TEST_SUITE_P(
    Values, KeyDisplayNames,
    ::testing::Values(
        DisplayCase{{0x20, 0x01, 0x06}, kKeyboard, "[keyboard_key_LCtrl]+[keyboard_key_C]"},
        DisplayCase{{0x20, 0x00, 0x00}, kKeyboard, "[close_text]"},
        DisplayCase{{0x20, 0x03, 0x04}, kKeyboard, "[keyboard_key_A]"},
        DisplayCase{{0x20, 0x03, 0x00}, kMouse,
                    "[keyboard_key_LCtrl]+[keyboard_key_LShift]+[keyboard_key_LAlt]+[keyboard_key_LWin]+"
                    "[keyboard_key_RCtrl]+[keyboard_key_RShift]+[keyboard_key_RAlt]+[keyboard_key_RWin]"},
        DisplayCase{{0x00, 0x00, 0x04}, kMouse, "[keyboard_key_A]"},
        DisplayCase{{0x20, 0x10, 0x06}, kKeyboard, "[keyboard_key_RCtrl]+[keyboard_key_C][custem_copy]"},
        DisplayCase{{0x20, 0x10, 0x06}, kMouse, "[keyboard_key_RCtrl]+[keyboard_key_C]"},
        DisplayCase{{0x10, 0x04, 0x00}, kMouse, "[mouse_key_middle]"},
        DisplayCase{{0x10, 0x04, 0x01}, kMouse, std::nullopt},
        DisplayCase{{0x11, 0x13, 0x85}, kMouse, "[mouse_key_right_Swing]"},
        DisplayCase{{0x12, 0x00, 0x7F}, kMouse, "[mouse_key_up_Swing]"},
        DisplayCase{{0x12, 0x00, 0xFF}, kMouse, "[mouse_key_down_Swing]"},
        DisplayCase{{0x13, 0x03, 0x00}, kMouse, "[mouse_key_DPI_loop]"},
        DisplayCase{{0x14, 0x20, 0x05}, kMouse, "[mouse_key_fire_key]"},
        DisplayCase{{0x16, 0x90, 0x01}, kMouse, "[mouse_key_DPI_shift]"},
        DisplayCase{{0x22, 0x00, 0x03}, kKeyboard, "[custem_save]"},
        DisplayCase{{0x22, 0x01, 0x03}, kKeyboard, std::nullopt},
        DisplayCase{{0x23, 0x00, 0x00}, kKeyboard, "[show_window]"},
        DisplayCase{{0x30, 0xE9, 0x00}, kKeyboard, "[media_vol_add]"},
        DisplayCase{{0x40, 0x04, 0x00}, kKeyboard, "[system_wake_up]"},
        DisplayCase{{0x70, 0x01, 0x02}, kKeyboard, "Macro B"},
        DisplayCase{{0x71, 0x05, 0x02}, kKeyboard, ""},
        DisplayCase{{0x72, 0x02, 0x00}, kMouse, "[gun_3_txt]"},
        DisplayCase{{0x72, 0x02, 0x00}, kKeyboard, kClosedText},
        DisplayCase{{0xA0, 0x00, 0x00}, kKeyboard, "[close_text]"},
        DisplayCase{{0xA0, 0x01, 0x00}, kKeyboard, "[keyboard_key_FN]"},
        DisplayCase{{0xA0, 0x02, 0x00}, kMouse, "[mouse_key_smart_key]"},
        DisplayCase{{0xA0, 0x1B, 0x00}, kKeyboard, "[keyboard_key_GM]"},
        DisplayCase{{0xD0, 0xA2, 0x03}, kKeyboard, "[keyboard_key_M3]"},
        DisplayCase{{0xD0, 0xA2, 0x03}, kMouse, kClosedText},
        DisplayCase{{0x15, 0x01, 0x02}, kMouse, std::nullopt},
        DisplayCase{{0xB0, 0x00, 0x00}, kKeyboard, std::nullopt},
        DisplayCase{{0x99, 0x00, 0x00}, kKeyboard, kClosedText}));

}  // namespace
}  // namespace zt640
