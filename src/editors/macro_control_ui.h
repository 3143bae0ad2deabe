#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTableWidget>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/hook_records.h"
#include "profiles/basic_profiledata.h"
#include "profiles/macro_library.h"
#include "profiles/macro_recorder.h"
#include "profiles/panel_result.h"
#include "profiles/profile_list.h"
#include "ui/panel_prompts.h"

namespace zt640 {

/// The macro panel of a keyboard or mouse: the list of macro names, the name edit
/// field, the selected macro's events and the buttons that add, rename, delete, save,
/// revert, import and export macros, record events and edit the event list. The
/// library itself (files, selection, event list) is `MacroLibrary` and the recording
/// rules are `MacroRecorder`; this class binds the widgets to them. The event rows are
/// shown as text; the selected event's delay is edited in "macro_delay" and saved when
/// that field loses the focus. The hook that feeds a recording is the main window's;
/// it hands each event to OnKeyEvent / OnMouseEvent. Widgets are only ever filled under
/// signal blockers, so filling never raises a notification that looks like a user's
/// choice.
class CMacroControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kEntryHeight = 30;
  static constexpr char kFileFilter[] = "Macro Files(*.mac)";

  explicit CMacroControlUI(QWidget* parent = nullptr);

  /// Message box and file dialogs of the window that holds the panel.
  void SetPrompts(ui::PanelPrompts prompts) { prompts_ = std::move(prompts); }

  /// Sets the device data folder and loads the library; the first macro, if any, is
  /// selected and its events shown.
  PanelResult Load(const std::string& device_data_folder);

  [[nodiscard]] MacroLibrary& Library() { return library_; }

  /// Names, selection, events and button states from Library(), without notifications.
  void Refresh();

  /// One change of the library that the key assignment editor's macro list mirrors.
  struct LibraryChange {
    enum Kind { kAdded, kRenamed, kDeleted } kind;
    int position;
    std::string name;
    friend bool operator==(const LibraryChange&, const LibraryChange&) = default;
  };

  struct ClickOutcome {
    std::vector<LibraryChange> changes;
    bool active_keys_changed = false;  ///< the active profile's key list changed: rewrite the keys
  };

  /// A click on one of the panel's buttons (names compared without case); nullopt when
  /// the name is not the panel's. `profiles` and `active` are the device's profile list
  /// and loaded active profile, used when a deleted macro's key assignments are fixed
  /// up. Questions and messages go through the prompts.
  std::optional<ClickOutcome> OnClick(const QString& name, const ProfileList& profiles, CBasicProfiledata& active);

  /// "macro_name_list" chosen by the user: selects that macro and shows its events.
  bool OnItemSelect(const QString& name, int index);

  /// "macro_delay" lost the focus: the selected event takes the field's delay and the
  /// macro is saved.
  bool OnKillFocus(const QString& name);

  /// The event row whose delay "macro_delay" shows; -1 when none.
  [[nodiscard]] int SelectedEvent() const { return event_row_; }
  void SelectEvent(int row);

  /// Where recording takes its milliseconds from (tests step their own clock).
  void SetTickSource(MacroRecorder::TickSource ticks);

  /// Starts recording with timing mode 1 (real time), 2 (fixed delay, read from
  /// "macro_fixed_time_edit" now) or 3 (no delay), and locks the library and list
  /// controls until EndRecording.
  void BeginRecording(int timing_mode);
  /// Leaves the recording state (the caller stops the hook and saves).
  void EndRecording();
  [[nodiscard]] bool IsRecording() const { return recorder_.IsRecording(); }
  /// The option "macro_check_time".
  [[nodiscard]] bool IsFixedTimeChecked() const;
  /// Reads "macro_fixed_time_edit" into the fixed delay: text that is no number reads
  /// as 0, a larger value than 65535 as 65535; a changed value is written back.
  void ReadFixedTime();
  [[nodiscard]] std::uint32_t FixedDelay() const { return recorder_.FixedDelay(); }
  /// A keyboard or mouse hook event of recording mode 4, 8, 16 or 32; true when the
  /// event list changed. Nothing is saved until the recording ends.
  bool OnKeyEvent(platform::input::HookMode mode, std::uint32_t message_id,
                  const platform::input::KeyHookRecord& record);
  bool OnMouseEvent(platform::input::HookMode mode, std::uint32_t message_id,
                    const platform::input::MouseHookRecord& record);
  /// Inserts a mouse button event or a cursor move (its distance from the matching
  /// "mouse_*_edit" field) after the selected event; true when inserted.
  bool InsertMouseEvent(std::uint32_t message_id, MacroRecorder::MouseVariant variant);
  bool MoveEventUp();
  bool MoveEventDown();
  bool MoveEventToTop();
  bool MoveEventToBottom();
  bool DeleteEvent();
  bool DeleteAllEvents();
  /// Saves the event list into the selected macro's file (messages through the prompts).
  void SaveSelectedMacro() { Save(); }
  /// The mouse items of the "macro_action" menu ("left_down" ... "back_click"):
  /// inserts the events and saves; false when the item is not one of them.
  bool OnMenuItem(const QString& item);
  /// Says once, for the life of the panel, that recording sees only this window's
  /// keys and clicks (the hook could not watch the whole desktop).
  void NoteInWindowRecording();
  [[nodiscard]] bool InWindowNoted() const { return in_window_noted_; }
  /// The screen rectangle of "macro_btn_stopredio" (empty while hidden).
  [[nodiscard]] QRect StopButtonScreenRect() const;

 signals:
  /// The user asked for the context menu of the event list, at a screen position.
  void EventMenuRequested(const QPoint& global_position);

 private:
  /// Runs a list edit of MacroRecorder on the event list; saves and refreshes when it
  /// changed something.
  bool EditEvents(bool (*edit)(MacroEventList));
  [[nodiscard]] MacroEventList EventList() { return {library_.Events(), event_row_}; }
  /// Shows one event row (the table must have the row).
  void FillRow(int row);
  /// After a recorded event: the new row, the row before it (its delay), the selection.
  void ShowRecorded(platform::input::HookMode mode, MacroRecorder::Outcome outcome);
  void SetRecordingState(bool recording);
  [[nodiscard]] ClickOutcome Add();
  [[nodiscard]] ClickOutcome Delete(const ProfileList& profiles, CBasicProfiledata& active);
  [[nodiscard]] ClickOutcome Rename();
  [[nodiscard]] ClickOutcome Import();
  void Export();
  void Save();
  void RefreshNames();
  void RefreshEvents();
  void RefreshDelay();
  void RefreshButtons();
  /// Keeps the delay field's text in the event it belongs to (saved with the macro).
  void TakeDelayText();
  void Show(const PanelResult& result) const;
  [[nodiscard]] QString Text(const char* key) const;

  MacroLibrary library_;
  MacroRecorder recorder_;
  ui::PanelPrompts prompts_;
  QPointer<QListWidget> names_;
  QPointer<QLineEdit> name_edit_;
  QPointer<QTableWidget> events_;
  QPointer<QLineEdit> delay_;
  QPointer<QWidget> event_editor_;
  std::vector<QPointer<QWidget>> selection_buttons_;  ///< enabled only while a macro is selected
  QPointer<QAbstractButton> start_;
  QPointer<QAbstractButton> stop_;
  QPointer<QAbstractButton> fixed_time_check_;
  QPointer<QLineEdit> fixed_time_;
  /// Locked while recording.
  std::vector<QPointer<QWidget>> recording_locked_;
  /// "mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit".
  std::array<QPointer<QLineEdit>, 4> move_fields_;
  bool in_window_noted_ = false;
  int event_row_ = -1;
};

}  // namespace zt640
