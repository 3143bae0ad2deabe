#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/input/hook_records.h"
#include "profiles/macro_file.h"

namespace zt640 {

/// The event list a recorder edits: the entries of the selected macro and the
/// selected entry (-1 for none). The owner saves the macro after every change.
struct MacroEventList {
  std::vector<MacroEventEntry>& events;
  int& selected;
};

/// Turns hook events, inserted mouse events and list edits into entries of a
/// macro's event list, with the delays of the chosen timing mode. UI-free: the
/// macro panel and the command line drive it alike. Not thread-safe; hook events
/// arrive one at a time on the owner's thread.
class MacroRecorder {
 public:
  /// Milliseconds of a monotonic tick count (wraps like one).
  using TickSource = std::function<std::uint32_t()>;

  enum class Timing { kRealTime = 1, kFixed = 2, kIgnore = 3 };
  /// What an inserted mouse event is: a button of the macro mouse table (forward
  /// and back tell the shared extra-button messages apart) or a cursor move.
  enum class MouseVariant { kNone, kForward, kBack, kMoveLeft, kMoveRight, kMoveUp, kMoveDown };
  enum class Outcome { kIgnored, kAdded, kChanged };

  static constexpr std::uint32_t kDefaultFixedDelay = 50;
  static constexpr std::uint32_t kMaxDelay = MacroEventEntry::kMaxDelay;

  explicit MacroRecorder(TickSource ticks);
  /// Changes the time source; the recording state and fixed delay stay.
  void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

  /// Stores the timing mode and starts timing from now (mode 2 takes the fixed
  /// delay set last). An unknown mode ignores time.
  void Begin(int timing_mode);
  void End() { recording_ = false; }
  [[nodiscard]] bool IsRecording() const { return recording_; }
  [[nodiscard]] Timing TimingMode() const { return timing_; }

  [[nodiscard]] std::uint32_t FixedDelay() const { return fixed_delay_; }
  /// Stores a fixed delay, clamped to 65535.
  void SetFixedDelay(std::uint64_t delay);

  /// A keyboard event of a recording mode (4, 8, 16, 32); other modes are ignored.
  Outcome OnKeyEvent(platform::input::HookMode mode, std::uint32_t message_id,
                     const platform::input::KeyHookRecord& record, MacroEventList list);
  /// A mouse event of a recording mode. `ends_recording` marks the click on the
  /// stop button: a left press or release so marked is not recorded.
  Outcome OnMouseEvent(platform::input::HookMode mode, std::uint32_t message_id,
                       const platform::input::MouseHookRecord& record, bool ends_recording, MacroEventList list);
  /// Inserts a button event (`message_id` of the mouse table) or a cursor move of
  /// `distance` (low 8 bits kept) after the selected entry and selects it; the
  /// delay is the fixed delay. False when nothing was inserted.
  bool InsertMouseEvent(std::uint32_t message_id, MouseVariant variant, std::uint64_t distance, MacroEventList list);

  /// List edits: false when nothing changed (no selection, or the selection is
  /// already at the end the move goes to).
  static bool MoveEventUp(MacroEventList list);
  static bool MoveEventDown(MacroEventList list);
  static bool MoveEventToTop(MacroEventList list);
  static bool MoveEventToBottom(MacroEventList list);
  static bool DeleteEvent(MacroEventList list);
  static bool DeleteAllEvents(MacroEventList list);

 private:
  /// The key being held: a press of it again is the keyboard's auto-repeat.
  struct HeldKey {
    std::uint32_t scan_code = 0;
    bool extended = false;
    friend bool operator==(const HeldKey&, const HeldKey&) = default;
  };
  /// "Type" and "Button" of a recorded event.
  struct EventCode {
    int type = 0;
    int button = 0;
  };

  /// Auto-repeat filter: false when the event is a repeated press.
  static bool PassesRepeatFilter(std::optional<HeldKey>& held, const HeldKey& key, bool press);
  /// The delay of a new event in the current timing mode.
  std::uint32_t NextDelay();
  /// Places a new event by mode 4, 8 or 16 (32 changes the selected event).
  Outcome Place(platform::input::HookMode mode, const EventCode& code, bool press, MacroEventList list);

  TickSource ticks_;
  bool recording_ = false;
  Timing timing_ = Timing::kRealTime;
  std::uint32_t last_event_time_ = 0;
  std::uint32_t fixed_delay_ = kDefaultFixedDelay;
  bool recorded_before_ = false;
  std::optional<HeldKey> held_key_;         ///< modes 4, 8 and 16
  std::optional<HeldKey> held_change_key_;  ///< mode 32
  std::optional<std::uint32_t> last_mouse_message_;
};

}  // namespace zt640
