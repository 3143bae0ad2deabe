#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/macro_file.h"

namespace zt640 {

/// How a recorded event's delay is found.
enum class MacroTiming {
  kRealTime = 1,  ///< the time between events as it happened
  kFixed = 2,     ///< the fixed delay for every event
  kIgnore = 3,    ///< no delay
};

/// What became of one hook event.
enum class MacroRecordOutcome {
  kRecorded,        ///< appended to the event list
  kRepeat,          ///< auto-repeat of the held key, or the same mouse message again
  kNotInCatalogue,  ///< a key the key catalogue does not know
  kIgnored,         ///< a mouse message that names no button
  kListFull,        ///< the list holds MacroFile::kMaxListEntries entries
};

/// Records keyboard and mouse hook events into a macro's event list, appending, as the
/// macro panel records without a selection: the auto-repeat filter (a held key gives one
/// press and one release), the duplicate mouse message filter, the catalogue lookup, the
/// list cap and the delays of the timing mode. Each recorded event carries the time until
/// the next one: recording an event sets the previous entry's delay. UI-free; times are
/// tick counts in milliseconds (unsigned differences, so a wrapped counter still works).
class MacroRecorder {
 public:
  static constexpr std::uint32_t kMaxDelay = 65535;

  /// Records into `events`, which must outlive the recorder.
  explicit MacroRecorder(std::vector<MacroEventEntry>& events) : events_(events) {}

  /// Starts a recording: the timing mode, the fixed delay (clamped to 65535) and the
  /// time the recording starts.
  void Begin(MacroTiming timing, std::uint32_t fixed_delay, std::uint32_t now_ms);

  /// A key press or release by its set-1 scan code and extended flag.
  MacroRecordOutcome OnKey(bool press, std::uint8_t scan_code, bool extended, std::uint32_t now_ms);
  /// A mouse hook message: its id (0x0201 ... 0x020C) and, for the extra buttons, the
  /// high 16 bits of the mouse data (1 back, 2 forward).
  MacroRecordOutcome OnMouse(std::uint32_t message_id, std::uint16_t mouse_data_high, std::uint32_t now_ms);

  /// The event object of a key ("Type" 9 with the modifier bit, or 10 with the usage;
  /// no "Delay"); nothing for a key the catalogue does not know by scan code.
  [[nodiscard]] static std::optional<Json::Value> KeyEvent(bool press, std::uint8_t scan_code, bool extended);
  /// The event object of a mouse button message; nothing for moves, the wheel and
  /// unknown ids.
  [[nodiscard]] static std::optional<Json::Value> MouseEvent(std::uint32_t message_id, std::uint16_t mouse_data_high);

 private:
  struct LastKey {
    std::uint8_t scan_code;
    bool extended;
  };

  MacroRecordOutcome Append(Json::Value event, std::uint32_t now_ms);
  std::uint32_t NextDelay(std::uint32_t now_ms);

  std::vector<MacroEventEntry>& events_;
  MacroTiming timing_ = MacroTiming::kRealTime;
  std::uint32_t fixed_delay_ = 50;
  std::uint32_t last_event_ms_ = 0;
  bool recorded_before_ = false;
  std::optional<LastKey> last_key_;
  std::uint32_t last_mouse_message_ = 0;
};

}  // namespace zt640
