#include "profiles/macro_recorder.h"

#include <algorithm>
#include <array>
#include <string>

#include "profiles/global_utils.h"
#include "profiles/key_catalogue.h"

namespace zt640 {

namespace {

constexpr std::uint8_t kKeyAssignmentKeyboardType = 0x20;

constexpr std::uint8_t kButtonLeft = 0x01;
constexpr std::uint8_t kButtonRight = 0x02;
constexpr std::uint8_t kButtonMiddle = 0x04;
constexpr std::uint8_t kButtonBack = 0x08;
constexpr std::uint8_t kButtonForward = 0x10;

constexpr std::uint16_t kExtraButtonBack = 1;
constexpr std::uint16_t kExtraButtonForward = 2;

struct MouseMessageRow {
  std::uint32_t message_id;
  std::uint8_t button;
  bool press;
};

// The button rows of the macro mouse table; the extra-button messages are told apart
// by the mouse data.
constexpr std::array<MouseMessageRow, 6> kMouseMessages{{
    {0x0201, kButtonLeft, true},
    {0x0202, kButtonLeft, false},
    {0x0204, kButtonRight, true},
    {0x0205, kButtonRight, false},
    {0x0207, kButtonMiddle, true},
    {0x0208, kButtonMiddle, false},
}};
constexpr std::uint32_t kExtraButtonDown = 0x020B;
constexpr std::uint32_t kExtraButtonUp = 0x020C;

Json::Value NewEvent(int type, int button, bool press) {
  Json::Value event(Json::objectValue);
  event["Type"] = type;
  event["Button"] = button;
  event["Action"] = press ? "down" : "up";
  return event;
}

}  // namespace

void MacroRecorder::Begin(MacroTiming timing, std::uint32_t fixed_delay, std::uint32_t now_ms) {
  timing_ = timing;
  fixed_delay_ = std::min(fixed_delay, kMaxDelay);
  last_event_ms_ = now_ms;
}

std::optional<Json::Value> MacroRecorder::KeyEvent(bool press, std::uint8_t scan_code, bool extended) {
  const std::optional<size_t> row = KeyCatalogue::FindByScanCode(scan_code, extended);
  if (!row) return std::nullopt;
  const KeyAssignment& value = KeyCatalogue::Rows()[*row].value;
  if (value.type != kKeyAssignmentKeyboardType) return std::nullopt;
  if (value.param1 != 0) return NewEvent(macro_event_type::kModifierKey, value.param1, press);
  return NewEvent(macro_event_type::kKeyboardKey, value.param2, press);
}

std::optional<Json::Value> MacroRecorder::MouseEvent(std::uint32_t message_id, std::uint16_t mouse_data_high) {
  for (const MouseMessageRow& row : kMouseMessages) {
    if (row.message_id == message_id) return NewEvent(macro_event_type::kMouseButton, row.button, row.press);
  }
  if (message_id != kExtraButtonDown && message_id != kExtraButtonUp) return std::nullopt;
  std::uint8_t button = 0;
  if (mouse_data_high == kExtraButtonForward) button = kButtonForward;
  if (mouse_data_high == kExtraButtonBack) button = kButtonBack;
  if (button == 0) return std::nullopt;
  return NewEvent(macro_event_type::kMouseButton, button, message_id == kExtraButtonDown);
}

MacroRecordOutcome MacroRecorder::OnKey(bool press, std::uint8_t scan_code, bool extended, std::uint32_t now_ms) {
  const bool same_as_last = last_key_ && last_key_->scan_code == scan_code && last_key_->extended == extended;
  if (press) {
    if (same_as_last) return MacroRecordOutcome::kRepeat;
    last_key_ = LastKey{scan_code, extended};
  } else if (same_as_last) {
    last_key_.reset();
  }
  std::optional<Json::Value> event = KeyEvent(press, scan_code, extended);
  if (!event) return MacroRecordOutcome::kNotInCatalogue;
  return Append(std::move(*event), now_ms);
}

MacroRecordOutcome MacroRecorder::OnMouse(std::uint32_t message_id, std::uint16_t mouse_data_high,
                                          std::uint32_t now_ms) {
  std::optional<Json::Value> event = MouseEvent(message_id, mouse_data_high);
  if (!event) return MacroRecordOutcome::kIgnored;
  if (message_id == last_mouse_message_) return MacroRecordOutcome::kRepeat;
  last_mouse_message_ = message_id;
  return Append(std::move(*event), now_ms);
}

std::uint32_t MacroRecorder::NextDelay(std::uint32_t now_ms) {
  switch (timing_) {
    case MacroTiming::kRealTime: {
      const std::uint32_t elapsed = now_ms - last_event_ms_;
      last_event_ms_ = now_ms;
      return std::min(elapsed, kMaxDelay);
    }
    case MacroTiming::kFixed: return fixed_delay_;
    case MacroTiming::kIgnore: break;
  }
  return 0;
}

MacroRecordOutcome MacroRecorder::Append(Json::Value event, std::uint32_t now_ms) {
  if (events_.size() >= MacroFile::kMaxListEntries) return MacroRecordOutcome::kListFull;
  const std::uint32_t delay = NextDelay(now_ms);
  if (events_.empty()) {
    event["Delay"] = 0;  // a number until the macro is saved, as the panel shows it
  } else {
    event["Delay"] = timing_ == MacroTiming::kFixed ? std::to_string(delay) : "0";
    if (recorded_before_) {
      // The previous event waits until this one: its delay is the time just measured.
      MacroEventEntry& previous = events_.back();
      std::optional<Json::Value> stored = CGlobalUtils::ParseJsonText(previous.json_text);
      if (stored && stored->isObject()) {
        (*stored)["Delay"] = std::to_string(delay);
        previous = MacroEventEntry::FromEvent(*stored);
      } else {
        previous.delay_text = std::to_string(delay);
      }
    }
  }
  events_.push_back(MacroEventEntry::FromEvent(event));
  recorded_before_ = true;
  return MacroRecordOutcome::kRecorded;
}

}  // namespace zt640
