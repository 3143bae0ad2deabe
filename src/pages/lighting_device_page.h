#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/device_page.h"
#include "pages/zone_picture.h"

namespace zt640 {

class CKalvexLightingDevice;

/// What the pages of the devices with host-rendered light zones only (the mouse
/// pad and the headset) share: the drawn zones, the profile row, the lighting
/// editor and its edits, the function tabs. A kind's page adds its own panels.
///
/// Routes run on the UI thread; each edit's device side (state, profile save,
/// settings record write) goes to the device runner as one task, behind the
/// edits before it. It has no Qt parent: whoever creates it owns it.
class LightingDevicePage : public DevicePage {
  Q_OBJECT
 public:
  ~LightingDevicePage() override;

  [[nodiscard]] CKalvexLightingDevice& LightingDevice() const { return device_; }
  [[nodiscard]] ZonePicture* Picture() const { return picture_.get(); }

  /// A function tab was chosen: the device and the function stack follow it.
  void OnFunctionTab(int function_switch);

  using DeviceRunner = RunnerFor<CKalvexLightingDevice>;
  void SetDeviceRunner(DeviceRunner runner);

  // DevicePanelSink
  void ShowKeyLight(unsigned ui_key, const ZoneColour& colour) override;
  void ShowKeyText(unsigned, const std::string&) override {}
  void ShowKeyEnabled(unsigned, bool) override {}
  void ShowFunctionSwitch(int32_t value) override;
  void ShowLightState(const LightEffect& effect) override;
  void ShowOptions(const KeyboardOptions&) override {}

 protected:
  /// `tabs` are the page's function tabs in the order of its function stack.
  LightingDevicePage(QWidget* page, CKalvexLightingDevice& device, DeviceKind kind, CMpDevicePowerUI* power,
                     ui::PanelPrompts prompts, std::unique_ptr<ZonePicture> picture, std::vector<const char*> tabs);

  /// Loads the profile list (the device takes its active profile) and the name
  /// lists, and shows the lighting editor. `what` names the device in the log.
  void LoadLightingPanels(DeviceKind kind, const std::string& what);

  // DevicePage
  [[nodiscard]] CBasicProfiledata& EditedProfile() override;
  void FollowProfilePanel(CDeviceProfileUI::Follow follow) override;
  void TakeActiveProfile() override;
  void ReloadAfterReset() override;
  /// These kinds have no key assignment editor or macro panel.
  void StoreKeySetEntry() override {}
  void ApplyMacroChanges(bool) override {}
  void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) override;

  /// What the page shows once a profile was taken (the pad: nothing beyond the lighting).
  virtual void AfterProfileTaken() {}

 private:
  CKalvexLightingDevice& device_;
  std::unique_ptr<ZonePicture> picture_;
  std::vector<const char*> tabs_;
};

}  // namespace zt640
