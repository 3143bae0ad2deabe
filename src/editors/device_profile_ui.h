#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "catalogue/device_kind.h"
#include "profiles/panel_result.h"
#include "profiles/profile_list.h"
#include "ui/panel_prompts.h"

namespace zt640 {

/// The profile panel of one device object: the drop-down list of its profiles, the
/// name edit field and the buttons that add, copy, delete, reset, rename, import and
/// export profiles. The profile list itself (files, selection, active profile) is
/// `ProfileList`; this class binds the widgets to it and turns button clicks into list
/// operations. Widgets are only ever filled under signal blockers, so filling never
/// raises a notification that looks like a user's choice.
class CDeviceProfileUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kEntryHeight = 30;
  static constexpr char kFileFilter[] = "Profile Files(*.json)";

  explicit CDeviceProfileUI(QWidget* parent = nullptr);

  /// Message box and file dialogs of the window that holds the panel.
  void SetPrompts(ui::PanelPrompts prompts) { prompts_ = std::move(prompts); }

  /// Device kind, data folder and default profile; loads the list and fills the combo.
  PanelResult Load(DeviceKind device_kind, const std::string& device_data_folder,
                   const std::string& default_profile_path);

  [[nodiscard]] ProfileList& List() { return list_; }
  [[nodiscard]] const ProfileList& List() const { return list_; }

  /// Combo entries, selection and name edit from List(), without notifications.
  void Refresh();

  /// What the main window does after a click on the panel.
  enum class Follow {
    kNone,              ///< nothing more
    kActivateSelected,  ///< the active profile changed: activate the selected one on the device
    kReloadActive,      ///< the profile was reset: the device reloads and rewrites it
  };

  /// A click on one of the panel's buttons (names compared without case, except
  /// "profile_fun_spread_btn", compared exactly); nullopt when the name is not the
  /// panel's. Messages of the operation are shown through the prompts.
  std::optional<Follow> OnClick(const QString& name);

  /// "device_profile_combo" chosen by the user: the selection and the name edit
  /// follow; the active profile changes when the main window activates it. True when
  /// the name is the combo's.
  bool OnItemSelect(const QString& name, int index);

  /// Whether the row of profile buttons is shown ("profile_fun_spread_btn" toggles it).
  [[nodiscard]] bool IsExpanded() const { return expanded_; }

 private:
  [[nodiscard]] Follow Delete();
  [[nodiscard]] Follow Reset();
  void Rename();
  void Import();
  void Export();
  void ToggleExpanded();
  /// Shows the result's message, if it has one, with a confirm button only.
  void Show(const PanelResult& result) const;
  void RefreshNameEdit();

  ProfileList list_;
  ui::PanelPrompts prompts_;
  QPointer<QComboBox> combo_;
  QPointer<QLineEdit> name_edit_;
  QPointer<QWidget> button_row_;
  QPointer<QAbstractButton> spread_button_;
  bool expanded_ = true;
};

}  // namespace zt640
