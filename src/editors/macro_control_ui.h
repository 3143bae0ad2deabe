#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QString>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/macro_library.h"
#include "profiles/panel_result.h"
#include "profiles/profile_list.h"
#include "ui/panel_prompts.h"

namespace zt640 {

/// The macro panel of a keyboard or mouse: the list of macro names, the name edit
/// field, the selected macro's events and the buttons that add, rename, delete, save,
/// revert, import and export macros. The library itself (files, selection, event list)
/// is `MacroLibrary`; this class binds the widgets to it. The event rows are shown as
/// text; the selected event's delay is edited in "macro_delay" and saved when that
/// field loses the focus. The recording and event-moving buttons are present but
/// disabled. Widgets are only ever filled under signal blockers, so filling never
/// raises a notification that looks like a user's choice.
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

 private:
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
  ui::PanelPrompts prompts_;
  QPointer<QListWidget> names_;
  QPointer<QLineEdit> name_edit_;
  QPointer<QTableWidget> events_;
  QPointer<QLineEdit> delay_;
  QPointer<QWidget> event_editor_;
  std::vector<QPointer<QWidget>> selection_buttons_;  ///< enabled only while a macro is selected
  int event_row_ = -1;
};

}  // namespace zt640
