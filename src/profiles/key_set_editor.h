#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_kind.h"
#include "profiles/key_assignment.h"

namespace zt640 {

/// The functions of the key assignment editor. A function's number is the
/// user data of its function list entry and the page index of
/// "function_switch_tablayout" that shows it.
enum class KeyFunction : int {
  kRestoreDefault = 0,
  kMouseButton = 1,
  kHorizontalScroll = 2,
  kVerticalWheel = 3,
  kDpiAction = 4,
  kFire = 5,
  kKeyboardKey = 6,
  kMedia = 7,
  kSystem = 8,
  kMacro = 9,
  kGunKey = 10,
  kCombinationKey = 11,
};

[[nodiscard]] constexpr int FunctionNumber(KeyFunction function) { return static_cast<int>(function); }

/// Play mode entry of "keyset_macro_over_combo" that selects the repeat-count form.
inline constexpr int kMacroRepeatPlayMode = 4;

/// One entry of "keyset_function_combo".
struct KeySetFunctionEntry {
  std::optional<int> number;  ///< the entry's user data; nullopt when empty
  bool visible = true;
};

/// Everything the editor's controls show, by control. List selections are
/// entry indexes (-1: none); field texts are what the fields hold.
struct KeySetControls {
  std::vector<KeySetFunctionEntry> function_entries;  ///< "keyset_function_combo"
  int function_selection = -1;
  int page = 0;                ///< page of "function_switch_tablayout" shown
  bool panel_visible = true;   ///< "keyset_layout"
  int mouse_key_row = -1;      ///< "keyset_mousekey_combo"
  int swing_direction = -1;    ///< "keyset_mouseswing_combo": 0 left, 1 right
  std::string swing_count;     ///< "keyset_mouseswing_num_edit"
  std::string swing_delay;     ///< "keyset_mouseswing_delay_edit"
  std::string swing_speed;     ///< "keyset_mouseswing_speed_edit"
  int wheel_direction = -1;    ///< "keyset_mousewheel_combo": 0 up, 1 down
  std::string wheel_count;     ///< "keyset_mousewheel_num_edit"
  std::string wheel_delay;     ///< "keyset_mousewheel_delay_edit"
  std::string wheel_speed;     ///< "keyset_mousewheel_speed_edit"
  int dpi_row = -1;            ///< "keyset_mousedpi_combo"
  std::string fire_interval;   ///< "keyset_mousefire_interval_edit"
  std::string fire_count;      ///< "keyset_mousefire_num_edit"
  std::string keyboard_text;   ///< "keyset_keyboard_text_edit": name key of the key shown
  int keyboard_position = -1;  ///< selected option "keyboard_key_" + position
  std::array<bool, 5> modifier_boxes{};  ///< "key_ComBox_check_0".."4": none, Ctrl, Shift, Alt, Win
  int media_row = -1;          ///< "keyset_media_combo"
  int system_row = -1;         ///< "keyset_system_combo"
  std::vector<std::string> macro_names;  ///< entries of "keyset_macro_combo"
  int macro_row = -1;
  int play_mode = -1;          ///< "keyset_macro_over_combo"
  bool cycle_visible = false;  ///< "keyset_macro_cycle_layout"
  std::string cycle_text;      ///< "keyset_macro_cycle_edit"
  int gun_row = -1;            ///< "keyset_gunkey_combo"
  int combo_row = -1;          ///< "keyset_combokey_combo"
};

/// The key assignment editor without its widgets: turns a key's record into
/// control state (show) and control state into a record (read). The Qt panel
/// binds its widgets to controls() and forwards the user's actions here.
class KeySetEditor {
 public:
  /// Starts with the function entries 0 to 11 in order.
  KeySetEditor();
  explicit KeySetEditor(std::vector<KeySetFunctionEntry> function_entries);

  [[nodiscard]] KeySetControls& controls() { return controls_; }
  [[nodiscard]] const KeySetControls& controls() const { return controls_; }

  /// The keyboard hides the DPI action and gun key functions.
  void SetDeviceKind(DeviceKind kind);
  /// Replaces the macro list entries and clears its selection.
  void FillMacroList(std::vector<std::string> names);
  /// Renames one macro entry; false when there is no such entry.
  bool RenameMacro(size_t index, std::string name);

  /// Keeps both records and shows the current one.
  void ShowKey(const KeyListEntry& entry);
  void ShowDefault();
  void ShowCurrent();
  /// Replaces the kept current record without touching the controls.
  void SetCurrentRecord(const KeyRecord& record);
  [[nodiscard]] const KeyListEntry& Entry() const { return entry_; }

  /// Encodes the controls into the current record and returns the entry
  /// (current, then default).
  KeyListEntry Read();

  /// The function list's selection changed to entry `index`.
  void SelectFunction(int index);
  /// The play mode list's selection changed.
  void SelectPlayMode(int mode);
  /// The user picked an option of the keyboard page.
  void SelectKeyboardPosition(int position);

  /// A key press reported by the keyboard hook. For a known key the controls
  /// and the current record take it (the keyboard key function is selected)
  /// and the save runs: the result of Read. Unknown keys give nullopt.
  std::optional<KeyListEntry> CaptureKey(uint8_t scan_code, bool extended);

 private:
  /// The selected entry's function; numbers outside the functions count as
  /// kRestoreDefault. Nothing when no entry is selected.
  [[nodiscard]] std::optional<KeyFunction> SelectedFunction() const;
  [[nodiscard]] KeyAssignment Encode() const;
  [[nodiscard]] KeyAssignment EncodeKeyboardPage() const;
  void Decode(const KeyRecord& record);
  void DecodeKeyboardKey(const KeyAssignment& value);
  void ShowFunction(std::optional<KeyFunction> function);

  KeySetControls controls_;
  KeyListEntry entry_;
  /// A keyboard value the page has no option for (a key with modifiers) that
  /// the keyboard key function encodes while its key stays selected.
  std::optional<KeyAssignment> pending_keyboard_value_;
};

}  // namespace zt640
