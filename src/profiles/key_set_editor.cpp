#include "profiles/key_set_editor.h"

#include <array>
#include <climits>
#include <span>

#include "profiles/editor_keyboard_page.h"
#include "profiles/key_catalogue.h"
#include "profiles/key_tables.h"

namespace zt640 {

namespace {

using enum KeyFunction;

/// A field's text as a decimal integer, read like the C library's atoi
/// (leading digits after an optional sign); anything else is 0.
int FieldValue(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

/// Delay and speed nibbles of the scroll functions.
uint8_t DelaySpeed(const std::string& delay, const std::string& speed) {
  return static_cast<uint8_t>((FieldValue(delay) & 0x0F) << 4 | (FieldValue(speed) & 0x0F));
}

std::optional<KeyAssignment> TableValue(std::span<const KeyTableRow> table, int row) {
  if (row < 0 || static_cast<size_t>(row) >= table.size()) return std::nullopt;
  return table[static_cast<size_t>(row)].value;
}

int TableRow(std::span<const KeyTableRow> table, const KeyAssignment& value) {
  const std::optional<size_t> row = KeyTables::FindRow(table, value);
  return row ? static_cast<int>(*row) : -1;
}

/// A function whose value is a row of a key table: the list row it shows, and
/// the value type it decodes from (nullopt: shown without a row).
struct TableFunction {
  KeyFunction function;
  std::optional<uint8_t> type;
  std::span<const KeyTableRow> (*table)();
  int KeySetControls::*row;
};

constexpr std::array<TableFunction, 5> kTableFunctions{{
    {kMouseButton, key_type::kMouseButton, &KeyTables::MouseButtons, &KeySetControls::mouse_key_row},
    {kDpiAction, key_type::kDpiAction, &KeyTables::DpiActions, &KeySetControls::dpi_row},
    {kMedia, key_type::kConsumerControl, &KeyTables::ConsumerControls, &KeySetControls::media_row},
    {kSystem, key_type::kSystemControl, &KeyTables::SystemControls, &KeySetControls::system_row},
    // The combination keys' values carry no type of their own to decode from.
    {kCombinationKey, std::nullopt, &KeyTables::CombinationKeys, &KeySetControls::combo_row},
}};

/// Modifier box of a modifier mask bit: 1 Ctrl, 2 Shift, 3 Alt, 4 Win.
constexpr std::array<uint8_t, 5> kBoxMasks{0x00, 0x11, 0x22, 0x44, 0x88};

}  // namespace

KeySetEditor::KeySetEditor() {
  for (int number = FunctionNumber(kRestoreDefault); number <= FunctionNumber(kCombinationKey); ++number) {
    controls_.function_entries.push_back(KeySetFunctionEntry{number, true});
  }
}

KeySetEditor::KeySetEditor(std::vector<KeySetFunctionEntry> function_entries) {
  controls_.function_entries = std::move(function_entries);
}

void KeySetEditor::SetDeviceKind(DeviceKind kind) {
  for (KeySetFunctionEntry& entry : controls_.function_entries) {
    const bool mouse_only = entry.number == FunctionNumber(kDpiAction) || entry.number == FunctionNumber(kGunKey);
    entry.visible = !(kind == DeviceKind::kKeyboard && mouse_only);
  }
}

void KeySetEditor::FillMacroList(std::vector<std::string> names) {
  controls_.macro_names = std::move(names);
  controls_.macro_row = -1;
}

bool KeySetEditor::RenameMacro(size_t index, std::string name) {
  if (index >= controls_.macro_names.size()) return false;
  controls_.macro_names[index] = std::move(name);
  return true;
}

void KeySetEditor::ShowKey(const KeyListEntry& entry) {
  entry_ = entry;
  Decode(entry_.current);
}

void KeySetEditor::ShowDefault() { Decode(entry_.defaults); }

void KeySetEditor::ShowCurrent() { Decode(entry_.current); }

void KeySetEditor::SetCurrentRecord(const KeyRecord& record) { entry_.current = record; }

KeyListEntry KeySetEditor::Read() {
  entry_.current.assignment = Encode();
  return entry_;
}

void KeySetEditor::SelectFunction(int index) {
  controls_.function_selection = index;
  const std::optional<KeyFunction> function = SelectedFunction();
  controls_.page = FunctionNumber(function.value_or(kRestoreDefault));
  if (function == kKeyboardKey) {
    controls_.keyboard_text.clear();
    controls_.modifier_boxes = {};
    pending_keyboard_value_.reset();
  }
}

void KeySetEditor::SelectPlayMode(int mode) {
  controls_.play_mode = mode;
  controls_.cycle_visible = mode == kMacroRepeatPlayMode;
}

void KeySetEditor::SelectKeyboardPosition(int position) {
  controls_.keyboard_position = position;
  pending_keyboard_value_.reset();
}

std::optional<KeyFunction> KeySetEditor::SelectedFunction() const {
  const int index = controls_.function_selection;
  if (index < 0 || static_cast<size_t>(index) >= controls_.function_entries.size()) return std::nullopt;
  const int number =
      controls_.function_entries[static_cast<size_t>(index)].number.value_or(FunctionNumber(kRestoreDefault));
  if (number < FunctionNumber(kRestoreDefault) || number > FunctionNumber(kCombinationKey)) return kRestoreDefault;
  return static_cast<KeyFunction>(number);
}

KeyAssignment KeySetEditor::EncodeKeyboardPage() const {
  const int position = controls_.keyboard_position;
  const bool selected = position >= 0 && static_cast<size_t>(position) < EditorKeyboardPage::kPositionCount;
  const KeyAssignment page_value = EditorKeyboardPage::Row(selected ? static_cast<size_t>(position) : 0).assignment;
  if (pending_keyboard_value_ && (!selected || page_value.param2 == pending_keyboard_value_->param2)) {
    return *pending_keyboard_value_;
  }
  return page_value;
}

KeyAssignment KeySetEditor::Encode() const {
  const KeyAssignment unchanged = entry_.current.assignment;
  const std::optional<KeyFunction> function = SelectedFunction();
  if (!function) return unchanged;  // no function shown: nothing to encode
  const KeySetControls& c = controls_;
  for (const TableFunction& table_function : kTableFunctions) {
    if (table_function.function == *function) {
      return TableValue(table_function.table(), c.*table_function.row).value_or(unchanged);
    }
  }
  switch (*function) {
    case kHorizontalScroll: {
      const uint8_t count = static_cast<uint8_t>(FieldValue(c.swing_count) & 0x7F);
      return KeyAssignment{key_type::kHorizontalScroll, DelaySpeed(c.swing_delay, c.swing_speed),
                           static_cast<uint8_t>(count | (c.swing_direction == 1 ? 0x80 : 0x00))};
    }
    case kVerticalWheel: {
      const int count = FieldValue(c.wheel_count) & 0x7F;
      // Down by n is stored as the count negated in a signed byte.
      const uint8_t param2 = c.wheel_direction == 1 ? static_cast<uint8_t>((128 - count) | 0x80)
                                                    : static_cast<uint8_t>(count);
      return KeyAssignment{key_type::kVerticalWheel, DelaySpeed(c.wheel_delay, c.wheel_speed), param2};
    }
    case kFire:
      return KeyAssignment{key_type::kFireKey, static_cast<uint8_t>(FieldValue(c.fire_interval)),
                           static_cast<uint8_t>(FieldValue(c.fire_count))};
    case kKeyboardKey:
      return EncodeKeyboardPage();
    case kMacro: {
      if (c.macro_row < 0 || static_cast<size_t>(c.macro_row) >= c.macro_names.size()) return unchanged;
      const auto macro = static_cast<uint8_t>(c.macro_row);
      if (c.play_mode == kMacroRepeatPlayMode) {
        return KeyAssignment{key_type::kMacroRepeat, macro, static_cast<uint8_t>(FieldValue(c.cycle_text))};
      }
      return KeyAssignment{key_type::kMacroPlayMode, macro, static_cast<uint8_t>(c.play_mode < 0 ? 0 : c.play_mode)};
    }
    case kGunKey:
      return KeyAssignment{key_type::kGunKey, static_cast<uint8_t>(c.gun_row < 0 ? 0 : c.gun_row), 0};
    default:
      break;
  }
  return entry_.defaults.assignment;
}

void KeySetEditor::ShowFunction(std::optional<KeyFunction> function) {
  controls_.function_selection = -1;
  if (function) {
    for (size_t i = 0; i < controls_.function_entries.size(); ++i) {
      if (controls_.function_entries[i].number == FunctionNumber(*function)) {
        controls_.function_selection = static_cast<int>(i);
        break;
      }
    }
  }
  controls_.panel_visible = controls_.function_selection >= 0;
  if (controls_.panel_visible) controls_.page = FunctionNumber(*function);
}

void KeySetEditor::DecodeKeyboardKey(const KeyAssignment& value) {
  const std::optional<size_t> position = EditorKeyboardPage::FindPosition(value);
  controls_.keyboard_position = position ? static_cast<int>(*position) : -1;
  pending_keyboard_value_.reset();
  if (!position) pending_keyboard_value_ = value;
  for (size_t box = 1; box < kBoxMasks.size(); ++box) controls_.modifier_boxes[box] = (value.param1 & kBoxMasks[box]) != 0;
  controls_.modifier_boxes[0] = value.param1 == 0 && value.param2 != 0;
  controls_.keyboard_text.clear();
  if (const std::optional<size_t> plain = EditorKeyboardPage::FindUsage(value.param2)) {
    const std::optional<size_t> row = EditorKeyboardPage::CatalogueRow(*plain);
    if (row) controls_.keyboard_text = KeyCatalogue::Rows()[*row].name_key;
  }
}

void KeySetEditor::Decode(const KeyRecord& record) {
  KeySetControls& c = controls_;
  const KeyAssignment value = record.assignment;
  if (SameAssignment(record, entry_.defaults)) {
    ShowFunction(kRestoreDefault);
    return;
  }
  for (const TableFunction& function : kTableFunctions) {
    if (function.type != value.type) continue;
    c.*function.row = TableRow(function.table(), value);
    ShowFunction(function.function);
    return;
  }
  switch (value.type) {
    case key_type::kDefault:
      ShowFunction(kRestoreDefault);
      return;
    case key_type::kHorizontalScroll:
      c.swing_delay = std::to_string(value.param1 >> 4);
      c.swing_speed = std::to_string(value.param1 & 0x0F);
      c.swing_count = std::to_string(value.param2 & 0x7F);
      c.swing_direction = (value.param2 & 0x80) ? 1 : 0;
      ShowFunction(kHorizontalScroll);
      return;
    case key_type::kVerticalWheel:
      c.wheel_delay = std::to_string(value.param1 >> 4);
      c.wheel_speed = std::to_string(value.param1 & 0x0F);
      c.wheel_direction = (value.param2 & 0x80) ? 1 : 0;
      c.wheel_count = std::to_string((value.param2 & 0x80) ? 128 - (value.param2 & 0x7F) : value.param2);
      ShowFunction(kVerticalWheel);
      return;
    case key_type::kFireKey:
      c.fire_interval = std::to_string(value.param1);
      c.fire_count = std::to_string(value.param2);
      ShowFunction(kFire);
      return;
    case key_type::kKeyboardKey:
      DecodeKeyboardKey(value);
      ShowFunction(kKeyboardKey);
      return;
    case key_type::kMacroPlayMode:
    case key_type::kMacroRepeat: {
      const bool known = value.param1 < c.macro_names.size();
      const bool repeat = value.type == key_type::kMacroRepeat;
      c.macro_row = known ? value.param1 : -1;
      if (!known) {
        c.play_mode = -1;
      } else if (repeat) {
        c.play_mode = kMacroRepeatPlayMode;
        c.cycle_text = std::to_string(value.param2);
      } else {
        c.play_mode = value.param2 <= kMacroRepeatPlayMode ? value.param2 : -1;
      }
      c.cycle_visible = known && repeat;
      ShowFunction(kMacro);
      return;
    }
    case key_type::kGunKey:
      c.gun_row = value.param1 < KeyTables::GunKeyNames().size() ? value.param1 : -1;
      ShowFunction(kGunKey);
      return;
    case key_type::kReservedB0:
      c.combo_row = -1;
      ShowFunction(kCombinationKey);
      return;
    default:
      ShowFunction(std::nullopt);
      return;
  }
}

std::optional<KeyListEntry> KeySetEditor::CaptureKey(uint8_t scan_code, bool extended) {
  const std::optional<size_t> found = KeyCatalogue::FindByScanCode(scan_code, extended);
  if (!found) return std::nullopt;
  const size_t row = *found;
  const KeyAssignment row_value = KeyCatalogue::Rows()[row].value;
  // The captured value reaches the record only through the keyboard key
  // function, so that function is shown (its fields are not cleared).
  ShowFunction(kKeyboardKey);
  KeySetControls& c = controls_;
  KeyAssignment captured = row_value;
  if (row < 8) {
    const size_t box = (row + 1) % 5 + (row + 1) / 5;
    c.modifier_boxes[box] = true;
    c.keyboard_text.clear();
  } else {
    bool any_box = false;
    for (const bool ticked : c.modifier_boxes) any_box = any_box || ticked;
    if (!any_box) {
      c.modifier_boxes[0] = true;
    } else {
      captured = KeyAssignment{key_type::kKeyboardKey, Encode().param1, row_value.param2};
    }
    c.keyboard_text = KeyCatalogue::Rows()[row].name_key;
  }
  entry_.current.assignment = captured;
  const std::optional<size_t> position = EditorKeyboardPage::FindPosition(captured);
  const std::optional<size_t> plain = EditorKeyboardPage::FindUsage(captured.param2);
  c.keyboard_position = position ? static_cast<int>(*position) : plain ? static_cast<int>(*plain) : -1;
  pending_keyboard_value_ = captured;
  return Read();
}

}  // namespace zt640
