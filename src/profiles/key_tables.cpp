#include "profiles/key_tables.h"

#include <array>

namespace zt640 {

namespace {

using namespace key_type;

constexpr std::array<KeyTableRow, 5> kMouseButtons{{
    {{kMouseButton, 0x01, 0}, "mouse_key_left"},
    {{kMouseButton, 0x04, 0}, "mouse_key_middle"},
    {{kMouseButton, 0x02, 0}, "mouse_key_right"},
    {{kMouseButton, 0x10, 0}, "mouse_key_forward"},
    {{kMouseButton, 0x08, 0}, "mouse_key_back"},
}};

constexpr std::array<KeyTableRow, 3> kDpiActions{{
    {{kDpiAction, 1, 0}, "mouse_key_DPI_add"},
    {{kDpiAction, 2, 0}, "mouse_key_DPI_sub"},
    {{kDpiAction, 3, 0}, "mouse_key_DPI_loop"},
}};

constexpr std::array<KeyTableRow, 3> kSystemControls{{
    {{kSystemControl, 1, 0}, "system_power"},
    {{kSystemControl, 2, 0}, "system_sleep"},
    {{kSystemControl, 4, 0}, "system_wake_up"},
}};

constexpr KeyTableRow Consumer(uint16_t usage, const char* name) {
  return {{kConsumerControl, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)}, name};
}

constexpr std::array<KeyTableRow, 18> kConsumerControls{{
    Consumer(0x0183, "media_text"),   Consumer(0x00CD, "media_play"),    Consumer(0x00B7, "media_stop"),
    Consumer(0x00B6, "media_prev"),   Consumer(0x00B5, "media_next"),    Consumer(0x00EA, "media_vol_sub"),
    Consumer(0x00E9, "media_vol_add"), Consumer(0x00E2, "media_mute"),   Consumer(0x0223, "web_text"),
    Consumer(0x0227, "web_refresh"),  Consumer(0x0226, "wed_stop"),      Consumer(0x0224, "wed_back"),
    Consumer(0x0225, "wed_forward"),  Consumer(0x022A, "wed_favorite"),  Consumer(0x0221, "web_search"),
    Consumer(0x0194, "media_mypc"),   Consumer(0x0192, "media_calc"),    Consumer(0x018A, "media_mail"),
}};

constexpr std::array<KeyTableRow, 11> kCombinationKeys{{
    {{kKeyboardKey, 0x10, 0x12}, "custem_open"},
    {{kKeyboardKey, 0x10, 0x11}, "custem_new"},
    {{kKeyboardKey, 0x10, 0x1D}, "custem_undo"},
    {{kKeyboardKey, 0x10, 0x16}, "custem_save"},
    {{kKeyboardKey, 0x10, 0x06}, "custem_copy"},
    {{kKeyboardKey, 0x10, 0x1B}, "custem_cut"},
    {{kKeyboardKey, 0x10, 0x19}, "custem_paste"},
    {{kKeyboardKey, 0x10, 0x09}, "custem_find"},
    {{kKeyboardKey, 0x10, 0x04}, "custem_select_all"},
    {{kKeyboardKey, 0x10, 0x2D}, "custem_narrow"},
    {{kKeyboardKey, 0x10, 0x2E}, "custem_magnify"},
}};

constexpr std::array<KeyTableRow, 9> kShortcutCommands{{
    {{kShortcutCommand, 0, 0}, "custem_open"},
    {{kShortcutCommand, 0, 1}, "custem_new"},
    {{kShortcutCommand, 0, 2}, "custem_undo"},
    {{kShortcutCommand, 0, 3}, "custem_save"},
    {{kShortcutCommand, 0, 4}, "custem_copy"},
    {{kShortcutCommand, 0, 5}, "custem_cut"},
    {{kShortcutCommand, 0, 6}, "custem_paste"},
    {{kShortcutCommand, 0, 7}, "custem_find"},
    {{kShortcutCommand, 0, 8}, "custem_select_all"},
}};

constexpr std::array<const char*, 4> kGunKeyNames{"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};

}  // namespace

std::span<const KeyTableRow> KeyTables::MouseButtons() { return kMouseButtons; }
std::span<const KeyTableRow> KeyTables::DpiActions() { return kDpiActions; }
std::span<const KeyTableRow> KeyTables::SystemControls() { return kSystemControls; }
std::span<const KeyTableRow> KeyTables::ConsumerControls() { return kConsumerControls; }
std::span<const KeyTableRow> KeyTables::CombinationKeys() { return kCombinationKeys; }
std::span<const KeyTableRow> KeyTables::ShortcutCommands() { return kShortcutCommands; }
std::span<const char* const> KeyTables::GunKeyNames() { return kGunKeyNames; }

std::optional<size_t> KeyTables::FindRow(std::span<const KeyTableRow> table, const KeyAssignment& value) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].value.param1 == value.param1 && table[i].value.param2 == value.param2) return i;
  }
  return std::nullopt;
}

}  // namespace zt640
