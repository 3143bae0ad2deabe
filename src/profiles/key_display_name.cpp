#include "profiles/key_display_name.h"

#include "profiles/key_catalogue.h"
#include "profiles/key_tables.h"

namespace zt640 {

namespace {

using namespace key_type;

std::optional<std::string> FromTable(std::span<const KeyTableRow> table, const KeyAssignment& value,
                                     const NameKeyText& text_of) {
  const std::optional<size_t> row = KeyTables::FindRow(table, value);
  if (!row) return std::nullopt;
  return text_of(table[*row].name_key);
}

/// Exact catalogue match of type, param1 and param2.
std::optional<std::string> FromCatalogue(const KeyAssignment& value, const NameKeyText& text_of) {
  for (const KeyCatalogue::Row& row : KeyCatalogue::Rows()) {
    if (row.value == value) return text_of(row.name_key);
  }
  return std::nullopt;
}

std::string KeyboardKeyText(const KeyAssignment& value, KeyPanelKind panel, const NameKeyText& text_of) {
  const auto rows = KeyCatalogue::Rows();
  for (const KeyCatalogue::Row& row : rows) {
    if (row.value.param1 == value.param1 && row.value.param2 == value.param2) return text_of(row.name_key);
  }
  if (value.param1 == 0 && value.param2 == 0) return text_of("close_text");
  // A modifier combination: every catalogue key of the value's type that
  // matches either the modifier mask or the usage, in catalogue order.
  std::string text;
  for (const KeyCatalogue::Row& row : rows) {
    if (row.value.type != value.type) continue;
    if (row.value.param1 != value.param1 && row.value.param2 != value.param2) continue;
    if (!text.empty()) text += "+";
    text += text_of(row.name_key);
  }
  if (panel == KeyPanelKind::Keyboard && value.param1 == 0x10) {
    const auto combinations = KeyTables::CombinationKeys();
    for (const KeyTableRow& row : combinations) {
      if (row.value.param2 == value.param2) {
        text += text_of(row.name_key);
        break;
      }
    }
  }
  return text;
}

}  // namespace

std::optional<std::string> KeyDisplayName::Text(const KeyAssignment& value, KeyPanelKind panel,
                                                const std::vector<std::string>& macro_names,
                                                const NameKeyText& text_of) {
  switch (value.type) {
    case kDefault:
    case kKeyboardKey:
      return KeyboardKeyText(value, panel, text_of);
    case kMouseButton:
      return FromTable(KeyTables::MouseButtons(), value, text_of);
    case kHorizontalScroll:
      return text_of((value.param2 & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case kVerticalWheel:
      return text_of((value.param2 & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case kDpiAction:
      return FromTable(KeyTables::DpiActions(), value, text_of);
    case kFireKey:
      return text_of("mouse_key_fire_key");
    case kDpiShift:
      return text_of("mouse_key_DPI_shift");
    case kShowWindow:
      if (value.param1 == 0 && value.param2 == 0) return text_of("show_window");
      return std::nullopt;
    case kSpecialKey:
      if (value.param1 == 0x02) return text_of("mouse_key_smart_key");
      if (value.param1 == 0x00) return text_of("close_text");
      return FromCatalogue(value, text_of);
    case kShortcutCommand:
      return FromTable(KeyTables::ShortcutCommands(), value, text_of);
    case kConsumerControl:
      return FromTable(KeyTables::ConsumerControls(), value, text_of);
    case kSystemControl:
      return FromTable(KeyTables::SystemControls(), value, text_of);
    case kMacroPlayMode:
    case kMacroRepeat:
      if (value.param1 < macro_names.size()) return macro_names[value.param1];
      return std::string();
    case kGunKey:
      if (panel == KeyPanelKind::Keyboard) return std::string(kClosedText);
      if (value.param1 < KeyTables::GunKeyNames().size()) return text_of(KeyTables::GunKeyNames()[value.param1]);
      return std::nullopt;
    case kMKey:
      if (panel == KeyPanelKind::Mouse) return std::string(kClosedText);
      return FromCatalogue(value, text_of);
    case kReserved15:
    case kReserved21:
    case kReserved50:
    case kReserved60:
    case kReservedB0:
    case kReservedC0:
      return std::nullopt;
    default:
      return std::string(kClosedText);
  }
}

}  // namespace zt640
