#include "profiles/macro_file.h"

#include <json/writer.h>

#include <algorithm>
#include <limits>

#include "profiles/global_utils.h"
#include "profiles/json_access.h"
#include "profiles/key_catalogue.h"
#include "profiles/key_tables.h"

namespace zt640 {

namespace {

/// One row of the macro mouse table: the button or the type with press bit.
struct MouseEventName {
  uint8_t button;
  uint8_t type_and_press;
  const char* name_key;
};

constexpr MouseEventName kMouseEventNames[] = {
    {0x01, 0x81, "mouse_key_left"},    {0x01, 0x01, "mouse_key_left"},
    {0x02, 0x81, "mouse_key_right"},   {0x02, 0x01, "mouse_key_right"},
    {0x04, 0x81, "mouse_key_middle"},  {0x04, 0x01, "mouse_key_middle"},
    {0x10, 0x81, "mouse_key_forward"}, {0x10, 0x01, "mouse_key_forward"},
    {0x08, 0x81, "mouse_key_back"},    {0x08, 0x01, "mouse_key_back"},
    {0, 0x84, "mouse_move_to_left_text"},  {0, 0x04, "mouse_move_to_right_text"},
    {0, 0x85, "mouse_move_to_up_text"},    {0, 0x05, "mouse_move_to_down_text"},
    {0, 0x00, "mouse_cursor_text"},
};
constexpr size_t kFirstMoveRow = 10;
constexpr size_t kLastMoveRow = 13;

std::string StyledText(const Json::Value& value) {
  Json::StyledWriter writer;
  return writer.write(value);
}

uint64_t DecimalPrefix(const std::string& text) {
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::numeric_limits<uint64_t>::max();
    value = value * 10 + digit;
  }
  return value;
}

bool IsPress(const Json::Value& event) {
  const Json::Value& action = MemberOrNull(event, "Action");
  return action.isString() && action.asString() == "down";
}

}  // namespace

std::array<uint8_t, MacroEventRecord::kSize> MacroEventRecord::ToBytes() const {
  std::array<uint8_t, kSize> bytes{};
  bytes[kDelayOffset] = static_cast<uint8_t>(delay & 0xFF);
  bytes[kDelayOffset + 1] = static_cast<uint8_t>(delay >> 8);
  bytes[kTypeOffset] = type_and_press;
  bytes[kButtonOffset] = button;
  return bytes;
}

uint64_t MacroEventDelay(const Json::Value& event) {
  const Json::Value& delay = MemberOrNull(event, "Delay");
  if (delay.isString()) return DecimalPrefix(delay.asString());
  if (delay.isUInt64() && !delay.isBool()) return delay.asUInt64();
  return 0;  // negative numbers and other types
}

MacroEventRecord ParseMacroEvent(const Json::Value& event) {
  MacroEventRecord record;
  record.button = static_cast<uint8_t>(JsonInt(MemberOrNull(event, "Button")));
  record.delay = static_cast<uint16_t>(MacroEventDelay(event) & 0xFFFF);
  record.type_and_press = static_cast<uint8_t>(JsonInt(MemberOrNull(event, "Type")));
  if (IsPress(event)) record.type_and_press |= MacroEventRecord::kPressBit;
  return record;
}

MacroEventLabels DescribeMacroEvent(const Json::Value& event) {
  MacroEventLabels labels;
  const bool press = IsPress(event);
  labels.action_style = press ? "macro_label_down_style" : "macro_label_up_style";
  const int type = JsonInt(MemberOrNull(event, "Type"));
  const int button = JsonInt(MemberOrNull(event, "Button"));
  if (type == macro_event_type::kModifierKey || type == macro_event_type::kKeyboardKey) {
    labels.name_style = "macro_label_keyboard_style";
    const KeyAssignment wanted = type == macro_event_type::kModifierKey
                                     ? KeyAssignment{key_type::kKeyboardKey, static_cast<uint8_t>(button), 0}
                                     : KeyAssignment{key_type::kKeyboardKey, 0, static_cast<uint8_t>(button)};
    for (const KeyCatalogue::Row& row : KeyCatalogue::Rows()) {
      if (row.value == wanted) {
        labels.name_key = row.name_key;
        break;
      }
    }
    return labels;
  }
  labels.name_style = "macro_label_mouse_style";
  if (type == macro_event_type::kMouseButton) {
    for (const MouseEventName& row : kMouseEventNames) {
      if (row.button != 0 && row.button == (button & 0xFF)) {
        labels.name_key = row.name_key;
        break;
      }
    }
  } else if (type == macro_event_type::kHorizontalMove || type == macro_event_type::kVerticalMove) {
    const auto type_and_press = static_cast<uint8_t>(type | (press ? MacroEventRecord::kPressBit : 0));
    for (size_t row = kFirstMoveRow; row <= kLastMoveRow; ++row) {
      if (kMouseEventNames[row].type_and_press == type_and_press) labels.name_key = kMouseEventNames[row].name_key;
    }
    labels.action_text = std::to_string(button);
  }
  return labels;
}

MacroEventEntry MacroEventEntry::FromEvent(const Json::Value& event) {
  MacroEventEntry entry;
  entry.json_text = StyledText(event);
  entry.delay_text = std::to_string(std::min<uint64_t>(MacroEventDelay(event), kMaxDelay));
  entry.labels = DescribeMacroEvent(event);
  return entry;
}

uint32_t MacroEventEntry::DelayValue() const {
  return static_cast<uint32_t>(std::min<uint64_t>(DecimalPrefix(delay_text), kMaxDelay));
}

std::vector<MacroEventEntry> MacroFile::Load(const std::string& path) {
  std::vector<MacroEventEntry> events;
  const Json::Value document = CGlobalUtils::ParseJsonFile(path);
  const Json::Value& stored = MemberOrNull(document, "Events");
  for (const Json::Value& event : stored.isArray() ? stored : Json::Value::nullSingleton()) {
    if (events.size() >= kMaxListEntries) break;
    if (event.isObject()) events.push_back(MacroEventEntry::FromEvent(event));
  }
  return events;
}

Json::Value MacroFile::Build(std::vector<MacroEventEntry>& events, const std::string& name, const std::string& guid) {
  Json::Value document(Json::objectValue);
  document["MacroName"] = name;
  document["Guid"] = guid;
  Json::Value& stored = document["Events"] = Json::Value(Json::arrayValue);
  for (MacroEventEntry& entry : events) {
    const uint32_t delay = entry.DelayValue();
    entry.delay_text = std::to_string(delay);
    if (entry.json_text.empty()) break;
    std::optional<Json::Value> event = CGlobalUtils::ParseJsonText(entry.json_text);
    if (!event || !event->isObject()) continue;
    (*event)["Delay"] = std::to_string(delay);
    entry.json_text = StyledText(*event);
    stored.append(*event);
  }
  document["Version"] = kVersion;
  return document;
}

}  // namespace zt640
