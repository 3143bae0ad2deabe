#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/device_kind.h"
#include "devices/device_panel_sink.h"
#include "devices/light_state.h"
#include "devices/macro_write_result.h"
#include "editors/device_profile_ui.h"
#include "editors/key_set_control_ui.h"
#include "editors/light_control_ui.h"
#include "editors/macro_control_ui.h"
#include "ui/panel_prompts.h"

class QStackedWidget;

namespace zt640 {

class CBasicProfiledata;
class CKalvexUSBDevice;
class CMpDevicePowerUI;

/// What every device page shares: the profile row, the key assignment editor,
/// the macro panel and the lighting editor found on the page, their routes, the
/// hand-over of an edit's device side to the device runner, and the parts of the
/// panel sink that are the same for every kind. A kind's page derives from it and
/// adds its picture, its own panels and what its device does with an edit.
///
/// Everything runs on the UI thread except the work handed to the runner. It has
/// no Qt parent: whoever creates a page owns it.
class DevicePage : public QObject, public DevicePanelSink {
  Q_OBJECT
 public:
  /// Runs `work` where the exchanges of the page's device (of class `Device`) run,
  /// holding its operation lock, after every task given before; then `done` (may
  /// be empty) on the UI thread.
  template <typename Device>
  using RunnerFor = std::function<void(std::function<void(Device&)> work, std::function<void()> done)>;

  ~DevicePage() override;

  [[nodiscard]] QWidget* Widget() const { return page_; }
  [[nodiscard]] CDeviceProfileUI* Profiles() const { return profiles_; }
  [[nodiscard]] CKeySetControlUI* KeySet() const { return key_set_; }
  [[nodiscard]] CMacroControlUI* Macros() const { return macros_; }
  [[nodiscard]] CLightControlUI* Lighting() const { return light_; }

  // What the main window's routes do on the shared panels.
  /// The profile panel's buttons; true when the name was one of them.
  bool OnProfileClick(const QString& name);
  bool OnProfileItemSelect(const QString& name, int index);
  /// Activates the profile chosen in the drop-down list on the device.
  void ActivateSelectedProfile();
  /// Resets the selected profile to the defaults and gives it to the device.
  void ResetSelectedProfile();
  bool OnKeySetClick(const QString& name);
  bool OnKeySetItemSelect(const QString& name, int index);
  bool OnKeySetSelectChanged(const QString& name, bool checked);
  bool OnKeySetKillFocus(const QString& name);
  /// A key press for the key assignment editor (the capture hook or the capture
  /// field itself): the captured assignment is stored at the selected key.
  bool OnKeyCapture(std::uint8_t scan_code, bool extended);
  bool OnMacroClick(const QString& name);
  bool OnMacroItemSelect(const QString& name, int index);
  bool OnMacroKillFocus(const QString& name);
  /// A notification of the lighting editor: the light state bytes it edits go to
  /// the device as one edit. True when the control was the editor's.
  bool OnLightNotify(const QString& kind, const QString& name, qint64 wparam);
  /// A notification of the lighting editor's audio sub-panel: the device's audio
  /// light setting as the action changes it goes to the device and its profile. True
  /// when the control was the sub-panel's.
  bool OnAudioLightNotify(const QString& kind, const QString& name, qint64 wparam);
  /// The lighting editor's colour button: the palette dialog picks the effect's
  /// colour (or the multicolour choice), which then goes to the device like any edit.
  void PickLightColour();
  /// Whether the editor may offer the same effect on every device (more than one
  /// device is shown).
  void SetSameModeAllowed(bool allowed);

  // DevicePanelSink: the parts every kind shows alike.
  void ShowPower(const PowerRecord& record) override;
  void ShowAudioLight(const AudioLightSetting& setting) override;
  void ShowCustomSlot(int slot) override;
  void PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

  /// Where PostToMainWindow goes (the main window sets it).
  void SetPostHandler(std::function<void(uint32_t, uintptr_t, intptr_t)> handler) { post_ = std::move(handler); }

 protected:
  /// Brightness and speed levels of the lighting editor run from 0 to this.
  static constexpr int kHighestLightLevel = 4;

  /// Finds the shared panels on `page` (built from the device's skin) and sets
  /// them up for a device of `kind`; `power` is the page's power widget.
  DevicePage(QWidget* page, CKalvexUSBDevice& device, DeviceKind kind, CMpDevicePowerUI* power,
             ui::PanelPrompts prompts);

  /// The panel of type T named `name` on the page, else the first of that type.
  template <typename T>
  [[nodiscard]] T* FindPanel(const char* name) const {
    if (page_ == nullptr) return nullptr;
    if (auto* found = page_->findChild<T*>(QString::fromLatin1(name))) return found;
    return page_->findChild<T*>();
  }

  /// Loads the profile list of the device's data folder; true when it was loaded
  /// (the device then takes the list's active profile). `what` names the device in the log.
  bool LoadProfileList(DeviceKind kind, const std::string& what);
  /// Loads the macro library of the device's data folder.
  void LoadMacroLibrary(const std::string& what);

  /// Without a runner an edit's exchanges run at once on the caller's thread.
  template <typename Device>
  void SetRunner(RunnerFor<Device> runner) {
    runner_ = [runner = std::move(runner)](std::function<void(CKalvexUSBDevice&)> work, std::function<void()> done) {
      runner([work = std::move(work)](Device& device) { work(device); }, std::move(done));
    };
  }
  /// Hands `work` to the device runner (without one it runs at once on this
  /// thread); `done` runs on the UI thread while the page lives. `Device` is the
  /// kind's device class, the one the page was made with.
  template <typename Device>
  void RunOn(std::function<void(Device&)> work, std::function<void()> done) {
    RunOnDevice([work = std::move(work)](CKalvexUSBDevice& device) { work(static_cast<Device&>(device)); },
                std::move(done));
  }

  /// Shows a message box with a confirm button only (nothing for an empty key).
  void ShowResult(const std::string& message_key);
  /// Tells the user what a macro write (WriteMacros' result) left undone.
  void ShowMacroResult(const MacroWriteResult& result);
  /// The same for any area written like the macros: `failed_key` when the write
  /// failed, `too_long_key` (a text with "%d" for the overflow) when it did not fit.
  void ShowAreaResult(const MacroWriteResult& result, const char* failed_key, const char* too_long_key);
  /// Logs a device exchange or write whose result is not success. Edits go on
  /// after one: the device's selector entry shows a device that stops answering.
  static void LogIfFailed(int result, const char* what);
  /// Applies the editor's byte edits to `state` (edits of bytes outside it are
  /// dropped); returns whether the custom slot byte changed.
  static bool ApplyByteEdits(LightState& state, const std::vector<CLightControlUI::ByteEdit>& edits);
  /// Asks for a colour in the palette dialog (the device's palette file), starting
  /// from `initial`; true when one was chosen.
  bool AskColour(QRgb initial, bool offer_multicolour, QRgb* chosen, bool* multicolour);
  /// The lighting editor shows the device's light state.
  void ShowLightPanel();
  /// Checks the function tab `name` without a notification.
  void CheckTab(const char* name) const;

  // What a kind's device does with the shared panels' edits.
  /// The profile the macro panel edits.
  [[nodiscard]] virtual CBasicProfiledata& EditedProfile() = 0;
  /// What follows a click on the profile panel.
  virtual void FollowProfilePanel(CDeviceProfileUI::Follow follow) = 0;
  /// The list's active profile becomes the device's and is written to it.
  virtual void TakeActiveProfile() = 0;
  /// The selected profile was reset: the device takes it again.
  virtual void ReloadAfterReset() = 0;
  /// The key assignment editor's entry goes to the selected key.
  virtual void StoreKeySetEntry() = 0;
  /// The macro library changed; `active_keys_changed` when keys of the active
  /// profile play a macro that changed.
  virtual void ApplyMacroChanges(bool active_keys_changed) = 0;
  /// The lighting editor changed these light state bytes.
  virtual void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) = 0;

  QPointer<QWidget> page_;
  QPointer<CMpDevicePowerUI> power_;
  ui::PanelPrompts prompts_;
  QPointer<CDeviceProfileUI> profiles_;
  QPointer<CKeySetControlUI> key_set_;
  QPointer<CMacroControlUI> macros_;
  QPointer<CLightControlUI> light_;
  QPointer<QStackedWidget> function_pages_;
  /// The key marked in the picture as the one being edited, -1 for none.
  int marked_key_ = -1;

 private:
  void RunOnDevice(std::function<void(CKalvexUSBDevice&)> work, std::function<void()> done);
  /// Stores the editor's entry when its action changed one; false when the
  /// control was not the editor's.
  bool TakeKeySetAction(const std::optional<CKeySetControlUI::Action>& action);

  CKalvexUSBDevice& usb_device_;
  std::function<void(uint32_t, uintptr_t, intptr_t)> post_;
  RunnerFor<CKalvexUSBDevice> runner_;
};

}  // namespace zt640
