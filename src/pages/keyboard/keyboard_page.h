#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/device_page.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/select_panel_ui.h"

namespace zt640 {

class CKalvexKeyboardDevice;
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
class KeyboardPage final : public DevicePage {
  Q_OBJECT
 public:
  /// `page` is the page built from the keyboard's skin; `power` its power widget.
  KeyboardPage(QWidget* page, CKalvexKeyboardDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts);
  ~KeyboardPage() override;

  /// Loads the profile list (the device takes its active profile) and the macro
  /// library, and shows the device's state.
  void LoadPanels();

  [[nodiscard]] CKalvexKeyboardDevice& Device() const { return device_; }
  [[nodiscard]] KeyboardOptionsPanel* Options() const { return options_; }
  [[nodiscard]] KeyboardPicture* Picture() const { return picture_.get(); }

  // What the main window's routes do on this page.
  /// A key button of the picture was clicked.
  void OnKeyClick(int key);
  /// A rubber-band selection ended on the picture: in custom mode the selected keys
  /// take the custom fill colour; otherwise the selection only shows.
  void OnSelectionEnd();
  void OnFunctionTab(int function_switch);
  /// The keyboard switched to settings slot `slot` by itself: the profile at that
  /// position of the list (when there is one) becomes the chosen and active
  /// profile and the page shows it. Nothing is written: the keyboard already runs
  /// its own slot.
  void FollowKeyboardSlot(int slot);
  /// Resets the selected profile and the keyboard ("device_reset_btn" after the
  /// panel's own confirmation, "default_btn" after the main window's).
  void ReloadAfterReset() override;
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
  void KeyLightsShown() override;
  void ShowKeyText(unsigned ui_key, const std::string& text) override;
  void ShowKeyEnabled(unsigned ui_key, bool enabled) override;
  void ShowFunctionSwitch(int32_t value) override;
  void ShowLightState(const LightEffect& effect) override;
  void ShowOptions(const KeyboardOptions& options) override;
  void ShowKeyAssignments() override;

  using DeviceRunner = RunnerFor<CKalvexKeyboardDevice>;
  void SetDeviceRunner(DeviceRunner runner);

 private:
  /// Hands `work` to the device runner; `done` runs on the UI thread while the page lives.
  void RunOnKeyboard(std::function<void(CKalvexKeyboardDevice&)> work, std::function<void()> done = nullptr);
  /// Makes the profile `uuid` the keyboard's (its state, on the keyboard's worker),
  /// writes it to the keyboard when `write`, and shows its keys.
  void TakeProfile(const std::string& uuid, bool write);
  void MarkSelectedKey(int key);
  /// Shows on the picture only the keys the connected keyboard has.
  void ShowKeysPresent();

  // DevicePage
  [[nodiscard]] CBasicProfiledata& EditedProfile() override;
  void FollowProfilePanel(CDeviceProfileUI::Follow follow) override;
  void TakeActiveProfile() override;
  void StoreKeySetEntry() override;
  void ApplyMacroChanges(bool active_keys_changed) override;
  /// Each light state byte goes to the keyboard in order (state, profile, settings
  /// record; a custom slot also loads and writes that slot's colours).
  void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) override;

  CKalvexKeyboardDevice& device_;
  QPointer<KeyboardOptionsPanel> options_;
  QPointer<CSelectPanelUI> picture_panel_;
  std::unique_ptr<KeyboardPicture> picture_;
};

}  // namespace zt640
