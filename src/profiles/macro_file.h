#pragma once

#include <json/value.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zt640 {

/// Event types of a macro event object ("Type").
namespace macro_event_type {
inline constexpr int kMouseButton = 1;
inline constexpr int kHorizontalMove = 4;  ///< "down" moves left
inline constexpr int kVerticalMove = 5;    ///< "down" moves up
inline constexpr int kModifierKey = 9;
inline constexpr int kKeyboardKey = 10;
}  // namespace macro_event_type

/// The device form of one macro event: four bytes.
struct MacroEventRecord {
  uint16_t delay = 0;          ///< low 16 bits of the "Delay" value
  uint8_t type_and_press = 0;  ///< "Type", bit 7 set for "down"
  uint8_t button = 0;

  static constexpr size_t kSize = 4;
  static constexpr size_t kDelayOffset = 0;  ///< little-endian
  static constexpr size_t kTypeOffset = 2;
  static constexpr size_t kButtonOffset = 3;
  static constexpr uint8_t kPressBit = 0x80;

  [[nodiscard]] std::array<uint8_t, kSize> ToBytes() const;
  friend constexpr bool operator==(const MacroEventRecord&, const MacroEventRecord&) = default;
};

/// The event object as the device stores it. "Delay" is read as a decimal
/// number (its leading digits; none gives 0) and keeps its low 16 bits; an
/// "Action" other than exactly "down" is a release.
[[nodiscard]] MacroEventRecord ParseMacroEvent(const Json::Value& event);

/// The "Delay" of an event object as a number: the decimal value of a string
/// (leading digits, saturating far beyond 32 bits) or a non-negative integer.
[[nodiscard]] uint64_t MacroEventDelay(const Json::Value& event);

/// What the event list shows for one event.
struct MacroEventLabels {
  std::string name_key;      ///< language key of the event's name; empty when it has none
  std::string name_style;    ///< "macro_label_keyboard_style" or "macro_label_mouse_style"
  std::string action_style;  ///< "macro_label_down_style" or "macro_label_up_style"
  std::string action_text;   ///< the distance of a cursor move; otherwise empty
  friend bool operator==(const MacroEventLabels&, const MacroEventLabels&) = default;
};

[[nodiscard]] MacroEventLabels DescribeMacroEvent(const Json::Value& event);

/// One entry of the event list: the event object as styled JSON text and the
/// text of its delay field, plus what its labels show.
struct MacroEventEntry {
  std::string json_text;
  std::string delay_text;  ///< digits only, at most kMaxDelayDigits
  MacroEventLabels labels;

  static constexpr size_t kMaxDelayDigits = 6;
  static constexpr uint32_t kMaxDelay = 65535;

  /// The entry for an event object; the delay field shows "Delay" clamped to 65535.
  [[nodiscard]] static MacroEventEntry FromEvent(const Json::Value& event);
  /// The delay field's value: its digits read as a number, clamped to 65535;
  /// an empty field is 0.
  [[nodiscard]] uint32_t DelayValue() const;
};

/// Macro files: "Events", "Guid", "MacroName" and "Version" (always 64).
class MacroFile {
 public:
  static constexpr int kVersion = 64;
  static constexpr size_t kMaxSavedEvents = 250;
  /// The event list holds at most this many entries (the recorder's limit).
  static constexpr size_t kMaxListEntries = 4000;

  /// The event list of a macro file: one entry per event object of
  /// "Events", in order; a missing or invalid file gives an empty list, and
  /// elements that are not objects are left out.
  [[nodiscard]] static std::vector<MacroEventEntry> Load(const std::string& path);

  /// The document of an event list: each entry's stored JSON with "Delay"
  /// set from its delay field (as a decimal string). Entries after the
  /// first empty text are not taken; texts that are not JSON objects are
  /// skipped. The entries' texts are replaced by the styled JSON of what was
  /// stored and their delay fields by the value saved.
  [[nodiscard]] static Json::Value Build(std::vector<MacroEventEntry>& events, const std::string& name,
                                         const std::string& guid);
};

}  // namespace zt640
