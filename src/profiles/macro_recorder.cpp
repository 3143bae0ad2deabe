#include "profiles/macro_recorder.h"

#include <json/writer.h>

#include <algorithm>
#include <string>

#include "profiles/global_utils.h"
#include "profiles/key_catalogue.h"

namespace zt640 {

namespace input = platform::input;

namespace {

/// Button bits of the macro mouse table.
constexpr int kLeftBit = 0x01;
constexpr int kRightBit = 0x02;
constexpr int kMiddleBit = 0x04;
constexpr int kBackBit = 0x08;
constexpr int kForwardBit = 0x10;

struct MouseButton {
  int button = 0;
  bool press = false;
};

/// The mouse table row of a button message; nullopt for moves, the wheel and an
/// extra-button message that names neither forward nor back.
std::optional<MouseButton> ButtonOf(std::uint32_t message_id, std::uint16_t extra_button) {
  switch (message_id) {
    case input::kLeftButtonDown: return MouseButton{kLeftBit, true};
    case input::kLeftButtonUp: return MouseButton{kLeftBit, false};
    case input::kRightButtonDown: return MouseButton{kRightBit, true};
    case input::kRightButtonUp: return MouseButton{kRightBit, false};
    case input::kMiddleButtonDown: return MouseButton{kMiddleBit, true};
    case input::kMiddleButtonUp: return MouseButton{kMiddleBit, false};
    case input::kExtraButtonDown:
    case input::kExtraButtonUp: {
      const bool press = message_id == input::kExtraButtonDown;
      if (extra_button == input::kExtraButtonForward) return MouseButton{kForwardBit, press};
      if (extra_button == input::kExtraButtonBack) return MouseButton{kBackBit, press};
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

std::string Styled(const Json::Value& value) {
  Json::StyledWriter writer;
  return writer.write(value);
}

Json::Value EventObject(int type, int button, bool press) {
  Json::Value event(Json::objectValue);
  event["Action"] = press ? "down" : "up";
  event["Button"] = button;
  event["Type"] = type;
  return event;
}

/// Rewrites an entry's stored event with `change` and refreshes its labels.
template <typename Change>
void Rewrite(MacroEventEntry& entry, Change change) {
  Json::Value event = CGlobalUtils::ParseJsonText(entry.json_text).value_or(Json::Value(Json::objectValue));
  if (!event.isObject()) event = Json::Value(Json::objectValue);
  change(event);
  entry.json_text = Styled(event);
  entry.labels = DescribeMacroEvent(event);
}

void SetDelay(MacroEventEntry& entry, std::uint32_t delay) {
  const std::string text = std::to_string(delay);
  Rewrite(entry, [&text](Json::Value& event) { event["Delay"] = text; });
  entry.delay_text = text;
}

bool HasSelection(const MacroEventList& list) {
  return list.selected >= 0 && list.selected < static_cast<int>(list.events.size());
}

/// Moves the selected entry to `target` and selects it there.
bool MoveSelected(MacroEventList list, int target) {
  if (!HasSelection(list) || target == list.selected) return false;
  if (target < 0 || target >= static_cast<int>(list.events.size())) return false;
  MacroEventEntry entry = std::move(list.events[static_cast<size_t>(list.selected)]);
  list.events.erase(list.events.begin() + list.selected);
  list.events.insert(list.events.begin() + target, std::move(entry));
  list.selected = target;
  return true;
}

}  // namespace

MacroRecorder::MacroRecorder(TickSource ticks) : ticks_(std::move(ticks)) {}

void MacroRecorder::Begin(int timing_mode) {
  switch (timing_mode) {
    case 1: timing_ = Timing::kRealTime; break;
    case 2: timing_ = Timing::kFixed; break;
    default: timing_ = Timing::kIgnore; break;
  }
  last_event_time_ = ticks_ ? ticks_() : 0;
  recording_ = true;
}

void MacroRecorder::SetFixedDelay(std::uint64_t delay) {
  fixed_delay_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(delay, kMaxDelay));
}

std::uint32_t MacroRecorder::NextDelay() {
  switch (timing_) {
    case Timing::kRealTime: {
      const std::uint32_t now = ticks_ ? ticks_() : 0;
      // Unsigned subtraction keeps the interval right across a wrap of the tick count.
      const std::uint32_t elapsed = now - last_event_time_;
      last_event_time_ = now;
      return std::min(elapsed, kMaxDelay);
    }
    case Timing::kFixed: return fixed_delay_;
    case Timing::kIgnore: break;
  }
  return 0;
}

bool MacroRecorder::PassesRepeatFilter(std::optional<HeldKey>& held, const HeldKey& key, bool press) {
  if (press) {
    if (held == key) return false;
    held = key;
  } else if (held == key) {
    held.reset();
  }
  return true;
}

MacroRecorder::Outcome MacroRecorder::OnKeyEvent(input::HookMode mode, std::uint32_t message_id,
                                                 const input::KeyHookRecord& record, MacroEventList list) {
  if (!recording_) return Outcome::kIgnored;
  const bool change = mode == input::HookMode::kChangeSelected;
  if (!change && mode != input::HookMode::kRecordAppend && mode != input::HookMode::kRecordBefore &&
      mode != input::HookMode::kRecordAfter) {
    return Outcome::kIgnored;
  }
  const bool press = input::IsKeyPress(message_id);
  if (!PassesRepeatFilter(change ? held_change_key_ : held_key_, HeldKey{record.scan_code, record.extended}, press)) {
    return Outcome::kIgnored;
  }
  if (record.scan_code > 0xFF) return Outcome::kIgnored;
  const std::optional<size_t> row =
      KeyCatalogue::FindByScanCode(static_cast<std::uint8_t>(record.scan_code), record.extended);
  if (!row) return Outcome::kIgnored;
  const KeyAssignment& value = KeyCatalogue::Rows()[*row].value;
  EventCode code;
  if (value.param2 != 0) {
    code = {macro_event_type::kKeyboardKey, value.param2};
  } else if (value.param1 != 0) {
    code = {macro_event_type::kModifierKey, value.param1};
  } else {
    return Outcome::kIgnored;
  }
  return Place(mode, code, press, list);
}

MacroRecorder::Outcome MacroRecorder::OnMouseEvent(input::HookMode mode, std::uint32_t message_id,
                                                   const input::MouseHookRecord& record, bool ends_recording,
                                                   MacroEventList list) {
  if (!recording_) return Outcome::kIgnored;
  if (mode != input::HookMode::kRecordAppend && mode != input::HookMode::kRecordBefore &&
      mode != input::HookMode::kRecordAfter && mode != input::HookMode::kChangeSelected) {
    return Outcome::kIgnored;
  }
  const std::optional<MouseButton> button = ButtonOf(message_id, record.mouse_data_high);
  if (!button) return Outcome::kIgnored;
  if (last_mouse_message_ == message_id) return Outcome::kIgnored;
  last_mouse_message_ = message_id;
  if (ends_recording && button->button == kLeftBit) return Outcome::kIgnored;
  return Place(mode, EventCode{macro_event_type::kMouseButton, button->button}, button->press, list);
}

MacroRecorder::Outcome MacroRecorder::Place(input::HookMode mode, const EventCode& code, bool press,
                                            MacroEventList list) {
  if (mode == input::HookMode::kChangeSelected) {
    if (!HasSelection(list)) return Outcome::kIgnored;
    Rewrite(list.events[static_cast<size_t>(list.selected)], [&code](Json::Value& event) {
      event["Type"] = code.type;
      event["Button"] = code.button;
    });
    return Outcome::kChanged;
  }
  if (list.events.size() >= MacroFile::kMaxListEntries) return Outcome::kIgnored;
  int position = static_cast<int>(list.events.size());
  if (mode != input::HookMode::kRecordAppend) {
    if (!HasSelection(list)) return Outcome::kIgnored;
    position = mode == input::HookMode::kRecordBefore ? list.selected : list.selected + 1;
  }
  Json::Value event = EventObject(code.type, code.button, press);
  const std::uint32_t delay = NextDelay();
  if (position == 0) {
    event["Delay"] = 0;
  } else {
    event["Delay"] = std::to_string(timing_ == Timing::kFixed ? delay : 0);
  }
  list.events.insert(list.events.begin() + position, MacroEventEntry::FromEvent(event));
  // The previous event carries the time until this one.
  if (position > 0 && recorded_before_) SetDelay(list.events[static_cast<size_t>(position - 1)], delay);
  recorded_before_ = true;
  // Inserting before keeps the selection on the entry it was on, so that further
  // events go in front of it in order.
  list.selected = mode == input::HookMode::kRecordBefore ? position + 1 : position;
  return Outcome::kAdded;
}

bool MacroRecorder::InsertMouseEvent(std::uint32_t message_id, MouseVariant variant, std::uint64_t distance,
                                     MacroEventList list) {
  if (list.events.size() >= MacroFile::kMaxListEntries) return false;
  Json::Value event;
  const int moved = static_cast<int>(distance & 0xFF);
  switch (variant) {
    case MouseVariant::kMoveLeft: event = EventObject(macro_event_type::kHorizontalMove, moved, true); break;
    case MouseVariant::kMoveRight: event = EventObject(macro_event_type::kHorizontalMove, moved, false); break;
    case MouseVariant::kMoveUp: event = EventObject(macro_event_type::kVerticalMove, moved, true); break;
    case MouseVariant::kMoveDown: event = EventObject(macro_event_type::kVerticalMove, moved, false); break;
    case MouseVariant::kNone:
    case MouseVariant::kForward:
    case MouseVariant::kBack: {
      const std::uint16_t extra = variant == MouseVariant::kForward ? input::kExtraButtonForward
                                  : variant == MouseVariant::kBack  ? input::kExtraButtonBack
                                                                    : 0;
      const std::optional<MouseButton> button = ButtonOf(message_id, extra);
      if (!button) return false;
      event = EventObject(macro_event_type::kMouseButton, button->button, button->press);
      break;
    }
  }
  event["Delay"] = std::to_string(fixed_delay_);
  int position = 0;
  if (!list.events.empty()) position = HasSelection(list) ? list.selected + 1 : 1;
  list.events.insert(list.events.begin() + position, MacroEventEntry::FromEvent(event));
  list.selected = position;
  return true;
}

bool MacroRecorder::MoveEventUp(MacroEventList list) { return MoveSelected(list, list.selected - 1); }

bool MacroRecorder::MoveEventDown(MacroEventList list) { return MoveSelected(list, list.selected + 1); }

bool MacroRecorder::MoveEventToTop(MacroEventList list) { return MoveSelected(list, 0); }

bool MacroRecorder::MoveEventToBottom(MacroEventList list) {
  return MoveSelected(list, static_cast<int>(list.events.size()) - 1);
}

bool MacroRecorder::DeleteEvent(MacroEventList list) {
  if (!HasSelection(list)) return false;
  list.events.erase(list.events.begin() + list.selected);
  // The entry that took its place is selected, or the new last one.
  if (list.selected >= static_cast<int>(list.events.size())) list.selected = static_cast<int>(list.events.size()) - 1;
  return true;
}

bool MacroRecorder::DeleteAllEvents(MacroEventList list) {
  const bool had_events = !list.events.empty();
  list.events.clear();
  list.selected = -1;
  return had_events;
}

}  // namespace zt640
