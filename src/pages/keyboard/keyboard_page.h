#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "devices/device_panel_sink.h"
#include "devices/macro_write_result.h"
#include "editors/key_set_control_ui.h"
#include "editors/light_control_ui.h"
#include "editors/macro_control_ui.h"
#include "editors/device_profile_ui.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/select_panel_ui.h"
#include "ui/panel_prompts.h"

class QStackedWidget;
class QWidget;

namespace zt640 {

class CKalvexKeyboardDevice;
class CMpDevicePowerUI;
class KeyboardPicture;

/// The keyboard's page: its drawn picture with live key colours and assignment
/// texts, the profile, key assignment, macro and options panels, and what the main
/// window's routes do on them. It is also the keyboard's panel sink. Everything runs
/// on the UI thread except ShowKeyLight, which only stores the colour, and the
/// device side of an edit: the keyboard's state, the profile save and the
/// exchanges go to the device runner (the keyboard's worker) as one task per edit,
/// in the edit's command order and behind the edits made before; what the user
/// must see of the result comes back to the UI thread. Panels, the profile list
/// and the macro library stay on the UI thread. It has no Qt parent: whoever
/// creates it owns it, and it outlives or survives its page.
class KeyboardPage final : public QObject, public DevicePanelSink {
  Q_OBJECT
 public:
  /// `page` is the page built from the keyboard's skin; `power` its power widget.
  KeyboardPage(QWidget* page, CKalvexKeyboardDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts);
  ~KeyboardPage() override;

  /// Loads the profile list (the device takes its active profile) and the macro
  /// library, and shows the device's state.
  void LoadPanels();

  [[nodiscard]] QWidget* Widget() const { return page_; }
  [[nodiscard]] CKalvexKeyboardDevice& Device() const { return device_; }
  [[nodiscard]] CDeviceProfileUI* Profiles() const { return profiles_; }
  [[nodiscard]] CKeySetControlUI* KeySet() const { return key_set_; }
  [[nodiscard]] CMacroControlUI* Macros() const { return macros_; }
  [[nodiscard]] KeyboardOptionsPanel* Options() const { return options_; }
  [[nodiscard]] CLightControlUI* Lighting() const { return light_; }
  [[nodiscard]] KeyboardPicture* Picture() const { return picture_.get(); }

  // What the main window's routes do on this page.
  /// A key button of the picture was clicked.
  void OnKeyClick(int key);
  /// A rubber-band selection ended on the picture: in custom mode the selected keys
  /// take the custom fill colour; otherwise the selection only shows.
  void OnSelectionEnd();
  void OnFunctionTab(int function_switch);
  /// The profile panel's buttons; true when the name was one of them.
  bool OnProfileClick(const QString& name);
  bool OnProfileItemSelect(const QString& name, int index);
  /// Activates the profile chosen in the drop-down list on the device.
  void ActivateSelectedProfile();
  /// The keyboard switched to settings slot `slot` by itself: the profile at that
  /// position of the list (when there is one) becomes the chosen and active
  /// profile and the page shows it. Nothing is written: the keyboard already runs
  /// its own slot.
  void FollowKeyboardSlot(int slot);
  /// Resets the selected profile and the keyboard ("device_reset_btn" after the
  /// panel's own confirmation, "default_btn" after the main window's).
  void ReloadAfterReset();
  /// Resets the selected profile to the defaults, then reloads as above.
  void ResetSelectedProfile();
  bool OnKeySetClick(const QString& name);
  bool OnKeySetItemSelect(const QString& name, int index);
  bool OnKeySetSelectChanged(const QString& name, bool checked);
  bool OnKeySetKillFocus(const QString& name);
  bool OnMacroClick(const QString& name);
  /// A key press for the key assignment editor (the capture hook or the capture
  /// field itself): the captured assignment is stored at the selected key.
  bool OnKeyCapture(std::uint8_t scan_code, bool extended);
  bool OnMacroItemSelect(const QString& name, int index);
  bool OnMacroKillFocus(const QString& name);
  /// A notification of the lighting editor: each light state byte it edits goes to
  /// the keyboard in order (state, profile, settings record; a custom slot also
  /// loads and writes that slot's colours). True when the control was the editor's.
  bool OnLightNotify(const QString& kind, const QString& name, qint64 wparam);
  /// The lighting editor's colour button: the palette dialog picks the effect's
  /// colour (or the multicolour choice), which then goes to the keyboard like any edit.
  void PickLightColour();
  /// Whether the editor may offer the same effect on every device (more than one
  /// device is shown).
  void SetSameModeAllowed(bool allowed);
  /// An options control changed: the options go to the profile and the keyboard.
  void OnOptionChanged(const QString& name);
  /// "reset_repeat_btn": repeat rate and delay return to the default profile's.
  void ResetRepeat();
  /// "custom_bright_color_btn" (true) and "custom_off_color_btn" (false).
  void FillCustom(bool on);
  /// Rebuilds the key button texts from the device's assignments.
  void RefreshKeyTexts();
  /// Rebuilds them from `list` with the macro names `macro_names`.
  void RefreshKeyTexts(const std::vector<KeyListEntry>& list, const std::vector<std::string>& macro_names);

  // DevicePanelSink
  void ShowKeyLight(unsigned ui_key, const ZoneColour& colour) override;
  void ShowKeyText(unsigned ui_key, const std::string& text) override;
  void ShowKeyEnabled(unsigned ui_key, bool enabled) override;
  void ShowFunctionSwitch(int32_t value) override;
  void ShowPower(const PowerRecord& record) override;
  void ShowLightState(const LightEffect& effect) override;
  void ShowAudioLight(const AudioLightSetting& setting) override;
  void ShowCustomSlot(int slot) override;
  void ShowOptions(const KeyboardOptions& options) override;
  void ShowKeyAssignments() override;
  void PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

  /// Runs `work` where the keyboard's exchanges run, holding the keyboard's
  /// operation lock, after every task given before; then `done` (may be empty) on
  /// the UI thread.
  using DeviceRunner =
      std::function<void(std::function<void(CKalvexKeyboardDevice&)> work, std::function<void()> done)>;
  /// Without a runner an edit's exchanges run at once on the caller's thread.
  void SetDeviceRunner(DeviceRunner runner) { runner_ = std::move(runner); }

  /// Where PostToMainWindow goes (the main window sets it).
  void SetPostHandler(std::function<void(uint32_t, uintptr_t, intptr_t)> handler) { post_ = std::move(handler); }

 private:
  void ShowResult(const std::string& message_key);
  /// Tells the user what a macro write (WriteMacros' result) left undone.
  void ShowMacroResult(const MacroWriteResult& result);
  /// Hands `work` to the device runner; `done` runs on the UI thread while the page lives.
  void RunOnKeyboard(std::function<void(CKalvexKeyboardDevice&)> work, std::function<void()> done = nullptr);
  /// Makes the profile `uuid` the keyboard's (its state, on the keyboard's worker),
  /// writes it to the keyboard when `write`, and shows its keys.
  void TakeProfile(const std::string& uuid, bool write);
  void StoreKeySetEntry();
  void ApplyMacroChanges(bool active_keys_changed);
  void MarkSelectedKey(int key);
  void ShowLightPanel();
  void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits);

  QPointer<QWidget> page_;
  CKalvexKeyboardDevice& device_;
  QPointer<CMpDevicePowerUI> power_;
  ui::PanelPrompts prompts_;
  QPointer<CDeviceProfileUI> profiles_;
  QPointer<CKeySetControlUI> key_set_;
  QPointer<CMacroControlUI> macros_;
  QPointer<KeyboardOptionsPanel> options_;
  QPointer<CLightControlUI> light_;
  QPointer<QStackedWidget> function_pages_;
  QPointer<CSelectPanelUI> picture_panel_;
  std::unique_ptr<KeyboardPicture> picture_;
  std::function<void(uint32_t, uintptr_t, intptr_t)> post_;
  DeviceRunner runner_;
  int marked_key_ = -1;
};

}  // namespace zt640
