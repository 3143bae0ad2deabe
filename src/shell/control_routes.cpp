#include "shell/control_routes.h"

#include <array>
#include <string_view>

#include "devices/function_switch.h"

namespace zt640 {

namespace {

template <typename Route>
struct NameRoute {
  std::string_view name;
  Route route;
};

struct ClickName {
  std::string_view name;
  ClickRoute route;
  bool exact_case = false;
};

constexpr std::array<NameRoute<ClickRoute>, 5> kClickPrefixes = {{
    {"key_", ClickRoute::kKeyButton},
    {"color_option_", ClickRoute::kPaletteColour},
    {"audiocolor_option_", ClickRoute::kAudioPaletteColour},
    {"windowdeviceset_", ClickRoute::kWindowDeviceSet},
    {"DPI_color_option_", ClickRoute::kDpiColour},
}};

constexpr std::array<ClickName, 57> kClickNames = {{
    {"closebtn", ClickRoute::kClose},
    {"nodevice_ok_btn", ClickRoute::kNoDeviceOk},
    {"control_light_status", ClickRoute::kLightControl},
    {"minbtn", ClickRoute::kMinimise},
    {"maxbtn", ClickRoute::kMaximise},
    {"restorebtn", ClickRoute::kRestore},
    {"skinbtn", ClickRoute::kSkin},
    {"setbtn", ClickRoute::kSettings},
    {"default_btn", ClickRoute::kDefault},
    {"reset_repeat_btn", ClickRoute::kResetRepeat},
    {"device_add_btn", ClickRoute::kProfilePanel},
    {"device_sub_btn", ClickRoute::kProfilePanel},
    {"device_export_btn", ClickRoute::kProfilePanel},
    {"device_import_btn", ClickRoute::kProfilePanel},
    {"device_copy_btn", ClickRoute::kProfilePanel},
    {"device_reset_btn", ClickRoute::kProfilePanel},
    {"device_profile_edit_save_btn", ClickRoute::kProfilePanel},
    {"key_butt_keysave", ClickRoute::kKeySet},
    {"key_butt_keydefalut", ClickRoute::kKeySet},
    {"key_butt_keycancel", ClickRoute::kKeySet},
    {"key_butt_prosave", ClickRoute::kKeySet},
    {"macro_btn_starredio", ClickRoute::kMacroRecord},
    {"macro_btn_stopredio", ClickRoute::kMacroRecord},
    {"macro_btn_name_add", ClickRoute::kMacroLibrary},
    {"macro_btn_name_sub", ClickRoute::kMacroLibrary},
    {"macro_btn_name_edit", ClickRoute::kMacroLibrary},
    {"macro_btn_save", ClickRoute::kMacroLibrary},
    {"macro_btn_cancel", ClickRoute::kMacroLibrary},
    {"macro_btn_export", ClickRoute::kMacroLibrary},
    {"macro_btn_import", ClickRoute::kMacroLibrary},
    {"macro_btn_up", ClickRoute::kMacroLibrary},
    {"macro_btn_down", ClickRoute::kMacroLibrary},
    {"macro_btn_uptop", ClickRoute::kMacroLibrary},
    {"macro_btn_downbottom", ClickRoute::kMacroLibrary},
    {"macro_btn_delete", ClickRoute::kMacroLibrary},
    {"macro_btn_deleteall", ClickRoute::kMacroLibrary},
    {"macro_inset_moveleftkey_btn", ClickRoute::kMacroInsertMove, true},
    {"macro_inset_moverightkey_btn", ClickRoute::kMacroInsertMove, true},
    {"macro_inset_moveupkey_btn", ClickRoute::kMacroInsertMove, true},
    {"macro_inset_movedownkey_btn", ClickRoute::kMacroInsertMove, true},
    {"shootdate_save_btn", ClickRoute::kShoot},
    {"shootdate_reset_btn", ClickRoute::kShoot},
    {"shootdate_import_btn", ClickRoute::kShoot},
    {"shootdate_export_btn", ClickRoute::kShoot},
    {"bullet_selected_prev", ClickRoute::kShoot},
    {"bullet_selected_next", ClickRoute::kShoot},
    {"custom_bright_color_btn", ClickRoute::kCustomFill},
    {"custom_off_color_btn", ClickRoute::kCustomFill},
    {"deng_same_mode", ClickRoute::kSameMode},
    {"hs_EQ_btn_save", ClickRoute::kHeadsetEq},
    {"hs_EQ_btn_delete", ClickRoute::kHeadsetEq},
    {"profile_fun_spread_btn", ClickRoute::kProfileSpread, true},
    {"device_select_prev", ClickRoute::kSelectPrevious},
    {"device_select_next", ClickRoute::kSelectNext},
    {"Close_bkColor_btn", ClickRoute::kCloseBackground},
    {"music_setting_btn", ClickRoute::kMusicSettings},
    {"logo_btn", ClickRoute::kLogo},
}};

constexpr std::array<NameRoute<ControlOwner>, 11> kSelectPrefixes = {{
    {"DPI_enable_check_", ControlOwner::kMouseDpi},
    {"DPI_select_check_", ControlOwner::kMouseDpi},
    {"polling_rate_option_", ControlOwner::kMouseDpi},
    {"mouse_device_seting_option_", ControlOwner::kMouseDpi},
    {"repeat_delay_check_", ControlOwner::kKeyboardOptions},
    {"shoot_gun_op_", ControlOwner::kShoot},
    {"bullet_op_", ControlOwner::kShoot},
    {"magic_option_", ControlOwner::kHeadsetVoice},
    {"6533_eq_option_", ControlOwner::kHeadsetEq},
    {"key_ComBox_check_", ControlOwner::kKeySet},
    {"keyboard_key_", ControlOwner::kKeySet},
}};

constexpr std::array<NameRoute<ControlOwner>, 26> kSelectNames = {{
    {"device_select", ControlOwner::kDeviceSelect},
    {"deng_Op_tab", ControlOwner::kFunctionTab},
    {"key_Op_tab", ControlOwner::kFunctionTab},
    {"macro_Op_tab", ControlOwner::kFunctionTab},
    {"system_Op_tab", ControlOwner::kFunctionTab},
    {"cursor_Op_tab", ControlOwner::kFunctionTab},
    {"6533_voice_Op_tab", ControlOwner::kFunctionTab},
    {"magic_Op_tab", ControlOwner::kFunctionTab},
    {"Virtual7.1_Op_tab", ControlOwner::kFunctionTab},
    {"pointer_precision_check", ControlOwner::kSystemMouse},
    {"scrolls_page_check", ControlOwner::kSystemMouse},
    {"winlockflag_option", ControlOwner::kKeyboardOptions},
    {"wflag_option", ControlOwner::kKeyboardOptions},
    {"6flag_option", ControlOwner::kKeyboardOptions},
    {"bullet_x_check", ControlOwner::kShoot},
    {"bullet_y_check", ControlOwner::kShoot},
    {"magic_enable_option", ControlOwner::kHeadsetVoice},
    {"6533_MicIn_option", ControlOwner::kHeadsetEq},
    {"6533_MicMoniter_option", ControlOwner::kHeadsetEq},
    {"deng_FXL_check", ControlOwner::kLightEditor},
    {"deng_FXR_check", ControlOwner::kLightEditor},
    {"deng_7color_check", ControlOwner::kLightEditor},
    {"deng_7audiocolor_check", ControlOwner::kAudioLight},
    {"audio_BkColor_check", ControlOwner::kAudioLight},
    {"audio_FgColor_check", ControlOwner::kAudioLight},
    {"synchro_device_select", ControlOwner::kSynchro},
}};

constexpr std::array<NameRoute<ControlOwner>, 2> kValuePrefixes = {{
    {"DPI_slider_", ControlOwner::kMouseDpi},
    {"6533_eq_hz_slider_", ControlOwner::kHeadsetEq},
}};

constexpr std::array<NameRoute<ControlOwner>, 11> kValueNames = {{
    {"pointer_speed_slider", ControlOwner::kSystemMouse},
    {"scroll_speed_slider", ControlOwner::kSystemMouse},
    {"double_click_slider", ControlOwner::kSystemMouse},
    {"repeat_rate_slider", ControlOwner::kKeyboardOptions},
    {"deng_light_slider", ControlOwner::kLightEditor},
    {"deng_speed_slider", ControlOwner::kLightEditor},
    {"6533_MicIn_slider", ControlOwner::kHeadsetEq},
    {"6533_MicMoniter_slider", ControlOwner::kHeadsetEq},
    {"R_light_slider", ControlOwner::kAudioSliders},
    {"G_light_slider", ControlOwner::kAudioSliders},
    {"B_light_slider", ControlOwner::kAudioSliders},
}};

constexpr std::array<NameRoute<ControlOwner>, 18> kItemNames = {{
    {"device_profile_combo", ControlOwner::kProfilePanel},
    {"light_combo_modeSelect", ControlOwner::kLightEditor},
    {"light_combo_custommodeSelect", ControlOwner::kLightEditor},
    {"light_combo_ZZCCmodeSelect", ControlOwner::kLightEditor},
    {"light_combo_audiomodeSelect", ControlOwner::kAudioLight},
    {"keyset_function_combo", ControlOwner::kKeySet},
    {"keyset_mousekey_combo", ControlOwner::kKeySet},
    {"keyset_mouseswing_combo", ControlOwner::kKeySet},
    {"keyset_mousewheel_combo", ControlOwner::kKeySet},
    {"keyset_mousedpi_combo", ControlOwner::kKeySet},
    {"keyset_media_combo", ControlOwner::kKeySet},
    {"keyset_system_combo", ControlOwner::kKeySet},
    {"keyset_macro_combo", ControlOwner::kKeySet},
    {"keyset_macro_over_combo", ControlOwner::kKeySet},
    {"keyset_gunkey_combo", ControlOwner::kKeySet},
    {"keyset_combokey_combo", ControlOwner::kKeySet},
    {"macro_name_list", ControlOwner::kMacroLibrary},
    {"custom_eq_name_combo", ControlOwner::kCustomEq},
}};

constexpr std::array<NameRoute<ControlOwner>, 1> kEditPrefixes = {{
    {"DPI_edit_", ControlOwner::kMouseDpi},
}};

constexpr std::array<NameRoute<ControlOwner>, 20> kEditNames = {{
    {"deng_edit_R", ControlOwner::kLightEditor},
    {"deng_edit_G", ControlOwner::kLightEditor},
    {"deng_edit_B", ControlOwner::kLightEditor},
    {"deng_audioedit_R", ControlOwner::kAudioLight},
    {"deng_audioedit_G", ControlOwner::kAudioLight},
    {"deng_audioedit_B", ControlOwner::kAudioLight},
    {"bullet_x_eidt", ControlOwner::kShoot},
    {"bullet_y_eidt", ControlOwner::kShoot},
    {"bullet_delay_eidt", ControlOwner::kShoot},
    {"macro_delay", ControlOwner::kMacroLibrary},
    {"keyset_keyboard_text_edit", ControlOwner::kKeySet},
    {"keyset_mouseswing_num_edit", ControlOwner::kKeySet},
    {"keyset_mouseswing_delay_edit", ControlOwner::kKeySet},
    {"keyset_mouseswing_speed_edit", ControlOwner::kKeySet},
    {"keyset_mousewheel_num_edit", ControlOwner::kKeySet},
    {"keyset_mousewheel_delay_edit", ControlOwner::kKeySet},
    {"keyset_mousewheel_speed_edit", ControlOwner::kKeySet},
    {"keyset_mousefire_interval_edit", ControlOwner::kKeySet},
    {"keyset_mousefire_num_edit", ControlOwner::kKeySet},
    {"keyset_macro_cycle_edit", ControlOwner::kKeySet},
}};

QString Text(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

template <std::size_t N>
ControlOwner FindPrefix(const std::array<NameRoute<ControlOwner>, N>& table, const QString& name) {
  const ControlName split = SplitControlName(name);
  if (!split.has_index) return ControlOwner::kNone;
  for (const auto& row : table) {
    if (split.prefix == Text(row.name)) return row.route;
  }
  return ControlOwner::kNone;
}

template <std::size_t N>
ControlOwner FindExact(const std::array<NameRoute<ControlOwner>, N>& table, const QString& name) {
  for (const auto& row : table) {
    if (name == Text(row.name)) return row.route;
  }
  return ControlOwner::kNone;
}

}  // namespace

ControlName SplitControlName(const QString& name) {
  ControlName split;
  const qsizetype last = name.lastIndexOf(QLatin1Char('_'));
  if (last < 0) return split;
  split.prefix = name.left(last + 1);
  const QString rest = name.mid(last + 1);
  bool ok = false;
  const int index = rest.toInt(&ok, 10);
  // Only plain digits count: no sign, no blanks.
  if (ok && !rest.isEmpty() && rest.front().isDigit() && index >= 0) {
    split.index = index;
    split.has_index = true;
  }
  return split;
}

ClickTarget ControlRoutes::Click(const QString& name) {
  const ControlName split = SplitControlName(name);
  if (split.has_index) {
    for (const auto& row : kClickPrefixes) {
      if (split.prefix == Text(row.name)) return {row.route, split.index};
    }
  }
  for (const ClickName& row : kClickNames) {
    const bool same = row.exact_case ? name == Text(row.name)
                                     : name.compare(Text(row.name), Qt::CaseInsensitive) == 0;
    if (same) return {row.route, -1};
  }
  return {};
}

ControlOwner ControlRoutes::SelectChanged(const QString& name) {
  const ControlOwner by_prefix = FindPrefix(kSelectPrefixes, name);
  if (by_prefix != ControlOwner::kNone) return by_prefix;
  return FindExact(kSelectNames, name);
}

ControlOwner ControlRoutes::ValueChanged(const QString& name) {
  const ControlOwner by_prefix = FindPrefix(kValuePrefixes, name);
  if (by_prefix != ControlOwner::kNone) return by_prefix;
  return FindExact(kValueNames, name);
}

ControlOwner ControlRoutes::ItemSelect(const QString& name) { return FindExact(kItemNames, name); }

ControlOwner ControlRoutes::KillFocus(const QString& name) {
  const ControlOwner by_prefix = FindPrefix(kEditPrefixes, name);
  if (by_prefix != ControlOwner::kNone) return by_prefix;
  return FindExact(kEditNames, name);
}

int ControlRoutes::FunctionTabSwitch(const QString& name) {
  if (name == QLatin1String("deng_Op_tab")) return FunctionSwitch::kLighting;
  if (name == QLatin1String("key_Op_tab")) return FunctionSwitch::kKeys;
  if (name == QLatin1String("macro_Op_tab")) return FunctionSwitch::kMacros;
  if (ControlRoutes::SelectChanged(name) == ControlOwner::kFunctionTab) return FunctionSwitch::kOther;
  return FunctionSwitch::kNone;
}

}  // namespace zt640
