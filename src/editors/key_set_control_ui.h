#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_kind.h"
#include "profiles/editor_keyboard_page.h"
#include "profiles/key_set_editor.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace zt640 {

/// The key assignment editor panel: widgets built from "KeySetControl.ui" and
/// bound to a KeySetEditor. The panel never talks to a device: the main window
/// routes the panel's notifications here by control name and, when a call
/// answers kStore or kStoreToProfile, stores LastEntry() at the selected key.
///
/// Widgets are read back into Editor().controls() before every editor call that
/// reads them, and Refresh() pushes controls() into the widgets with their
/// signals blocked, so a refresh never looks like a user's choice.
class CKeySetControlUI : public QWidget {
  Q_OBJECT
 public:
  /// What the main window does after a routed notification.
  enum class Action { kNone, kStore, kStoreToProfile };

  /// Skin file the panel builds itself from (below the skin folder).
  static constexpr const char* kSkinFile = "KeySetControl.ui";
  /// Container in the skin that receives the keyboard page options.
  static constexpr const char* kKeyboardPageName = "keyset_keyboard_page";
  /// How many lists are bound to a row of Editor().controls() and how many
  /// edits to one of its texts (the panel's field tables list them).
  static constexpr size_t kListCount = 11;
  static constexpr size_t kEditCount = 9;

  explicit CKeySetControlUI(QWidget* parent = nullptr);

  [[nodiscard]] KeySetEditor& Editor() { return editor_; }
  /// False when the skin could not be built (the editor still works).
  [[nodiscard]] bool IsBuilt() const { return root_ != nullptr; }

  /// The keyboard hides the DPI action and gun key functions.
  void SetDeviceKind(DeviceKind kind);
  /// Replaces the macro list and clears its selection.
  void FillMacroList(std::vector<std::string> names);
  /// Renames one macro entry; false when there is no such entry.
  bool RenameMacro(size_t index, std::string name);
  /// Appends an entry (a macro added to or imported into the library).
  void AppendMacro(std::string name);
  /// Removes the entry at `index`; a selection behind it moves down with its
  /// entry, a selection of the removed entry is cleared.
  void RemoveMacro(size_t index);
  /// Keeps the key's records and shows its current assignment.
  void ShowKey(const KeyListEntry& entry);
  /// Pushes Editor().controls() into the widgets (no notifications).
  void Refresh();

  /// Click on one of its buttons: "key_butt_keysave" reads (Editor().Read())
  /// and returns kStore; "key_butt_keydefalut" shows the default record,
  /// "key_butt_keycancel" the current one (kNone); "key_butt_prosave" reads and
  /// returns kStoreToProfile. nullopt when not its control. Names compared
  /// without case.
  std::optional<Action> OnClick(const QString& name);
  /// itemselect of the keyset_* combos: the function list and the play-mode
  /// list change the page shown, the others their row. kNone; nullopt when not
  /// its control.
  std::optional<Action> OnItemSelect(const QString& name, int index);
  /// selectchanged of "keyboard_key_N" (the option picked) and
  /// "key_ComBox_check_N" (a modifier box). kNone; nullopt when not its control.
  std::optional<Action> OnSelectChanged(const QString& name, bool checked);
  /// killfocus of the keyset_* edits. The count, delay, speed, interval and
  /// repetition fields save at once when their text changed since it was last
  /// shown or saved (kStore); otherwise kNone. nullopt when not its control.
  std::optional<Action> OnKillFocus(const QString& name);
  /// A key press reported by the keyboard hook (Editor().CaptureKey): kStore
  /// when the key is known, kNone when it is ignored.
  std::optional<Action> CaptureKey(uint8_t scan_code, bool extended);
  /// Whether the capture field takes the keys typed into it itself (no hook runs).
  void SetOwnKeyCapture(bool on);
  [[nodiscard]] bool OwnKeyCapture() const;
  /// The entry the last kStore or kStoreToProfile produced.
  [[nodiscard]] const KeyListEntry& LastEntry() const { return last_entry_; }

 signals:
  /// A key typed into the capture field while it captures on its own; the owner
  /// answers with CaptureKey and stores the entry.
  void KeyCaptured(std::uint8_t scan_code, bool extended);

 private:
  struct Widgets {
    QWidget* panel = nullptr;  ///< "keyset_layout"
    QStackedWidget* pages = nullptr;
    QLineEdit* keyboard_text = nullptr;
    QWidget* cycle_layout = nullptr;
    std::array<QComboBox*, kListCount> lists{};  ///< in the order of the list table
    std::array<QLineEdit*, kEditCount> edits{};  ///< in the order of the edit table
    std::array<QAbstractButton*, 5> modifier_boxes{};
    std::array<QAbstractButton*, EditorKeyboardPage::kPositionCount> keyboard_keys{};
  };

  /// The list bound to `row` (nullptr when the skin lacks it).
  [[nodiscard]] QComboBox* List(int KeySetControls::*row) const;
  void FindWidgets();
  /// Gives each function entry its number as user data; the numbers come from the skin.
  [[nodiscard]] std::vector<KeySetFunctionEntry> FunctionEntriesFromSkin();
  void FillTableCombos();
  void BuildKeyboardPage();
  /// Texts of list entries and options from their language keys.
  void Retranslate();

  /// Widgets into Editor().controls().
  void ReadBack();
  /// The entry after a read, remembered for the main window.
  Action Store(Action action);
  /// Remembers the texts the edits show, to tell a user's change on killfocus.
  void RememberEditTexts();
  [[nodiscard]] QLineEdit* EditByName(const QString& name) const;
  [[nodiscard]] static bool IsSavingEdit(const QString& name);

  KeySetEditor editor_;
  KeyListEntry last_entry_;
  QWidget* root_ = nullptr;
  Widgets w_;
  QButtonGroup* keyboard_group_ = nullptr;
  QHash<QString, QString> shown_edit_texts_;
};

}  // namespace zt640
