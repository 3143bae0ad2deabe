#include <gtest/gtest.h>

#include "shell/control_routes.h"

namespace zt640 {
namespace {

TEST(SplitControlName, SplitsAtTheLastUnderscoreAndReadsOnlyDigits) {
  const ControlName key = SplitControlName(QStringLiteral("key_125"));
  EXPECT_EQ(key.prefix, QStringLiteral("key_"));
  EXPECT_TRUE(key.has_index);
  EXPECT_EQ(key.index, 125);

  const ControlName colour = SplitControlName(QStringLiteral("DPI_color_option_3"));
  EXPECT_EQ(colour.prefix, QStringLiteral("DPI_color_option_"));
  EXPECT_EQ(colour.index, 3);

  EXPECT_FALSE(SplitControlName(QStringLiteral("key_butt_keysave")).has_index);
  EXPECT_FALSE(SplitControlName(QStringLiteral("key_-1")).has_index);
  EXPECT_FALSE(SplitControlName(QStringLiteral("key_ 1")).has_index);
  EXPECT_FALSE(SplitControlName(QStringLiteral("key_")).has_index);
  const ControlName plain = SplitControlName(QStringLiteral("closebtn"));
  EXPECT_TRUE(plain.prefix.isEmpty());
  EXPECT_FALSE(plain.has_index);
}

TEST(ControlRoutes_Click, PrefixesComeFirstAndCarryTheIndex) {
  const ClickTarget key = ControlRoutes::Click(QStringLiteral("key_7"));
  EXPECT_EQ(key.route, ClickRoute::kKeyButton);
  EXPECT_EQ(key.index, 7);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("color_option_2")).route, ClickRoute::kPaletteColour);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("audiocolor_option_2")).route, ClickRoute::kAudioPaletteColour);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("DPI_color_option_0")).route, ClickRoute::kDpiColour);
  // Names that only start like a prefix route by their exact name.
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("key_butt_keysave")).route, ClickRoute::kKeySet);
}

TEST(ControlRoutes_Click, ExactNamesIgnoreCaseExceptTheFewKeptExact) {
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("CloseBtn")).route, ClickRoute::kClose);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("DEVICE_ADD_BTN")).route, ClickRoute::kProfilePanel);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("Macro_Btn_Name_Sub")).route, ClickRoute::kMacroLibrary);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("DENG_SAME_MODE")).route, ClickRoute::kSameMode);

  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("profile_fun_spread_btn")).route, ClickRoute::kProfileSpread);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("Profile_Fun_Spread_Btn")).route, ClickRoute::kNone);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("macro_inset_moveupkey_btn")).route, ClickRoute::kMacroInsertMove);
  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("MACRO_INSET_MOVEUPKEY_BTN")).route, ClickRoute::kNone);

  EXPECT_EQ(ControlRoutes::Click(QStringLiteral("no_such_button")).route, ClickRoute::kNone);
}

TEST(ControlRoutes_Tables, EachKindFindsItsOwner) {
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("repeat_delay_check_2")), ControlOwner::kKeyboardOptions);
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("winlockflag_option")), ControlOwner::kKeyboardOptions);
  // The keyboard's and the mouse's polling options share a name; the route names the mouse and
  // the main window hands it to whichever device is selected.
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("polling_rate_option_1")), ControlOwner::kMouseDpi);
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("keyboard_key_40")), ControlOwner::kKeySet);
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("key_Op_tab")), ControlOwner::kFunctionTab);
  EXPECT_EQ(ControlRoutes::SelectChanged(QStringLiteral("synchro_device_select")), ControlOwner::kSynchro);
  EXPECT_EQ(ControlRoutes::ValueChanged(QStringLiteral("repeat_rate_slider")), ControlOwner::kKeyboardOptions);
  EXPECT_EQ(ControlRoutes::ValueChanged(QStringLiteral("DPI_slider_4")), ControlOwner::kMouseDpi);
  EXPECT_EQ(ControlRoutes::ItemSelect(QStringLiteral("device_profile_combo")), ControlOwner::kProfilePanel);
  EXPECT_EQ(ControlRoutes::ItemSelect(QStringLiteral("macro_name_list")), ControlOwner::kMacroLibrary);
  EXPECT_EQ(ControlRoutes::KillFocus(QStringLiteral("keyset_macro_cycle_edit")), ControlOwner::kKeySet);
  EXPECT_EQ(ControlRoutes::KillFocus(QStringLiteral("DPI_edit_2")), ControlOwner::kMouseDpi);
  EXPECT_EQ(ControlRoutes::KillFocus(QStringLiteral("macro_delay")), ControlOwner::kMacroLibrary);
}

TEST(ControlRoutes_Tables, FunctionTabsGiveTheirSwitchValue) {
  EXPECT_EQ(ControlRoutes::FunctionTabSwitch(QStringLiteral("deng_Op_tab")), 1);
  EXPECT_EQ(ControlRoutes::FunctionTabSwitch(QStringLiteral("key_Op_tab")), 2);
  EXPECT_EQ(ControlRoutes::FunctionTabSwitch(QStringLiteral("macro_Op_tab")), 3);
  EXPECT_EQ(ControlRoutes::FunctionTabSwitch(QStringLiteral("system_Op_tab")), 4);
  EXPECT_EQ(ControlRoutes::FunctionTabSwitch(QStringLiteral("key_butt_keysave")), 0);
}

}  // namespace
}  // namespace zt640
