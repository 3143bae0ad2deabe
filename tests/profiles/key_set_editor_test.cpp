#include "profiles/key_set_editor.h"

#include <gtest/gtest.h>

namespace zt640 {
namespace {

using enum KeyFunction;

/// An editor showing a key whose default is the letter A.
class KeySetEditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_.FillMacroList({"m0", "m1", "m2", "m3"});
    Show(KeyAssignment{0x20, 0, 0x04});
  }
  void Show(const KeyAssignment& current) {
    editor_.ShowKey(KeyListEntry{KeyRecord{7, current, 0}, KeyRecord{7, KeyAssignment{0x20, 0, 0x04}, 0}});
  }
  /// Selects the function list entry of `function` (entries are 0..11 in order).
  void Select(KeyFunction function) { editor_.SelectFunction(FunctionNumber(function)); }
  KeyAssignment Read() { return editor_.Read().current.assignment; }
  KeySetControls& c() { return editor_.controls(); }

  KeySetEditor editor_;
};

TEST_F(KeySetEditorFixture, Decode_DefaultValueShowsRestoreDefault) {
  Show(KeyAssignment{0x20, 0, 0x04});
  EXPECT_EQ(c().function_selection, FunctionNumber(kRestoreDefault));
  EXPECT_TRUE(c().panel_visible);
  Show(KeyAssignment{0x10, 0x01, 0});
  EXPECT_EQ(c().function_selection, FunctionNumber(kMouseButton));
  Select(kRestoreDefault);
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0, 0x04}));
  EXPECT_EQ(editor_.Entry().current.key_index, 7);
}

TEST_F(KeySetEditorFixture, VerticalWheel_EncodesSignedCount) {
  Select(kVerticalWheel);
  c().wheel_direction = 1;
  c().wheel_count = "1";
  c().wheel_delay = "0";
  c().wheel_speed = "0";
  EXPECT_EQ(Read(), (KeyAssignment{0x12, 0x00, 0xFF}));
  Show(KeyAssignment{0x12, 0x00, 0xFF});
  EXPECT_EQ(c().wheel_count, "1");
  EXPECT_EQ(c().wheel_direction, 1);
  c().wheel_direction = 0;
  c().wheel_count = "127";
  EXPECT_EQ(Read().param2, 0x7F);
}

TEST_F(KeySetEditorFixture, HorizontalScroll_PacksNibblesAndDirection) {
  Select(kHorizontalScroll);
  c().swing_direction = 1;
  c().swing_count = "5";
  c().swing_delay = "17";
  c().swing_speed = "3";
  EXPECT_EQ(Read(), (KeyAssignment{0x11, 0x13, 0x85}));
  c().swing_count = "200";
  c().swing_direction = 0;
  c().swing_delay = "x";
  EXPECT_EQ(Read(), (KeyAssignment{0x11, 0x03, 72}));
  Show(KeyAssignment{0x11, 0x13, 0x85});
  EXPECT_EQ(c().swing_delay, "1");
  EXPECT_EQ(c().swing_speed, "3");
  EXPECT_EQ(c().swing_count, "5");
  EXPECT_EQ(c().swing_direction, 1);
}

TEST_F(KeySetEditorFixture, Fire_TakesLowBytes) {
  Select(kFire);
  c().fire_interval = "300";
  c().fire_count = "12";
  EXPECT_EQ(Read(), (KeyAssignment{0x14, 44, 12}));
}

TEST_F(KeySetEditorFixture, Macro_PlayModeAndRepeatForms) {
  Select(kMacro);
  c().macro_row = 3;
  editor_.SelectPlayMode(4);
  EXPECT_TRUE(c().cycle_visible);
  c().cycle_text = "10";
  EXPECT_EQ(Read(), (KeyAssignment{0x71, 3, 10}));
  Show(KeyAssignment{0x71, 3, 10});
  EXPECT_EQ(c().function_selection, FunctionNumber(kMacro));
  EXPECT_EQ(c().macro_row, 3);
  EXPECT_EQ(c().play_mode, 4);
  EXPECT_TRUE(c().cycle_visible);
  EXPECT_EQ(c().cycle_text, "10");
  editor_.SelectPlayMode(2);
  EXPECT_EQ(Read(), (KeyAssignment{0x70, 3, 2}));
}

TEST_F(KeySetEditorFixture, Macro_UnknownMacroKeepsRecordAndClearsSelection) {
  Show(KeyAssignment{0x70, 9, 1});
  EXPECT_EQ(c().macro_row, -1);
  EXPECT_EQ(c().play_mode, -1);
  EXPECT_FALSE(c().cycle_visible);
  EXPECT_EQ(Read(), (KeyAssignment{0x70, 9, 1}));
  editor_.FillMacroList({});
  Select(kMacro);
  EXPECT_EQ(Read(), (KeyAssignment{0x70, 9, 1}));
}

TEST_F(KeySetEditorFixture, Tables_EncodeSelectedRowAndDecodeBack) {
  struct Case {
    KeyFunction function;
    int KeySetControls::*row;
    int index;
    KeyAssignment value;
  };
  const Case cases[] = {
      {kMouseButton, &KeySetControls::mouse_key_row, 2, {0x10, 0x02, 0}},
      {kDpiAction, &KeySetControls::dpi_row, 1, {0x13, 2, 0}},
      {kMedia, &KeySetControls::media_row, 17, {0x30, 0x8A, 0x01}},
      {kSystem, &KeySetControls::system_row, 2, {0x40, 4, 0}},
      {kGunKey, &KeySetControls::gun_row, 3, {0x72, 3, 0}},
  };
  for (const Case& test : cases) {
    Select(test.function);
    c().*test.row = test.index;
    EXPECT_EQ(Read(), test.value) << FunctionNumber(test.function);
    c().*test.row = -1;
    Show(test.value);
    EXPECT_EQ(c().function_selection, FunctionNumber(test.function));
    EXPECT_EQ(c().*test.row, test.index) << FunctionNumber(test.function);
  }
  Select(kCombinationKey);
  c().combo_row = 4;
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0x10, 0x06}));
}

TEST_F(KeySetEditorFixture, KeyboardKey_PageSelectionAndPositionZeroFallback) {
  Select(kKeyboardKey);
  editor_.SelectKeyboardPosition(90);
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0, 0x58}));
  editor_.SelectKeyboardPosition(-1);
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0, 0x29}));
  Show(KeyAssignment{0xD0, 0xA2, 2});
  EXPECT_FALSE(c().panel_visible);
}

TEST_F(KeySetEditorFixture, KeyboardKey_ModifierCombinationSurvivesShowAndRead) {
  Show(KeyAssignment{0x20, 0x01, 0x06});
  EXPECT_EQ(c().function_selection, FunctionNumber(kKeyboardKey));
  EXPECT_TRUE(c().modifier_boxes[1]);
  EXPECT_EQ(c().keyboard_text, "keyboard_key_C");
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0x01, 0x06}));
  editor_.SelectKeyboardPosition(69);
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0, 0x28}));
}

TEST_F(KeySetEditorFixture, Decode_UnknownTypeHidesPanel) {
  Show(KeyAssignment{0x99, 1, 2});
  EXPECT_FALSE(c().panel_visible);
  EXPECT_EQ(Read(), (KeyAssignment{0x99, 1, 2}));
  Show(KeyAssignment{0xB0, 0, 0});
  EXPECT_EQ(c().function_selection, FunctionNumber(kCombinationKey));
  EXPECT_EQ(c().combo_row, -1);
}

TEST_F(KeySetEditorFixture, Functions_OutOfRangeNumberActsAsRestoreDefault) {
  KeySetEditor editor({KeySetFunctionEntry{42, true}, KeySetFunctionEntry{std::nullopt, true}});
  editor.ShowKey(KeyListEntry{KeyRecord{1, KeyAssignment{0x10, 1, 0}, 0}, KeyRecord{1, KeyAssignment{0x20, 0, 5}, 0}});
  EXPECT_FALSE(editor.controls().panel_visible);
  editor.SelectFunction(0);
  EXPECT_EQ(editor.Read().current.assignment, (KeyAssignment{0x20, 0, 5}));
  editor.SelectFunction(1);
  EXPECT_EQ(editor.controls().page, 0);
}

TEST_F(KeySetEditorFixture, SetDeviceKind_KeyboardHidesMouseFunctions) {
  editor_.SetDeviceKind(DeviceKind::kKeyboard);
  EXPECT_FALSE(c().function_entries[FunctionNumber(kDpiAction)].visible);
  EXPECT_FALSE(c().function_entries[FunctionNumber(kGunKey)].visible);
  EXPECT_TRUE(c().function_entries[FunctionNumber(kMacro)].visible);
  editor_.SetDeviceKind(DeviceKind::kMouse);
  EXPECT_TRUE(c().function_entries[FunctionNumber(kGunKey)].visible);
}

TEST_F(KeySetEditorFixture, CaptureKey_RightAltTicksAltBox) {
  const auto entry = editor_.CaptureKey(0x38, true);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->current.assignment, (KeyAssignment{0x20, 0x40, 0}));
  EXPECT_TRUE(c().modifier_boxes[3]);
  EXPECT_EQ(c().function_selection, FunctionNumber(kKeyboardKey));
  EXPECT_TRUE(c().keyboard_text.empty());
}

TEST_F(KeySetEditorFixture, CaptureKey_ModifierThenKeyCombines) {
  Select(kKeyboardKey);
  ASSERT_TRUE(editor_.CaptureKey(0x1D, false).has_value());  // left Ctrl
  const auto entry = editor_.CaptureKey(0x2E, false);        // C
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->current.assignment, (KeyAssignment{0x20, 0x01, 0x06}));
  EXPECT_EQ(c().keyboard_text, "keyboard_key_C");
  EXPECT_EQ(Read(), (KeyAssignment{0x20, 0x01, 0x06}));
}

TEST_F(KeySetEditorFixture, CaptureKey_PlainKeyTicksBoxZeroAndUnknownIgnored) {
  Select(kKeyboardKey);
  const auto entry = editor_.CaptureKey(0x1E, false);  // A
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->current.assignment, (KeyAssignment{0x20, 0, 0x04}));
  EXPECT_TRUE(c().modifier_boxes[0]);
  EXPECT_FALSE(editor_.CaptureKey(0x7F, true).has_value());
  Select(kKeyboardKey);
  EXPECT_FALSE(c().modifier_boxes[0]);
}

}  // namespace
}  // namespace zt640
