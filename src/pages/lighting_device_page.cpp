#include "pages/lighting_device_page.h"

#include <QAbstractButton>
#include <QStackedWidget>

#include "devices/function_switch.h"
#include "devices/kalvex_lighting_device.h"
#include "transport/command_result.h"

namespace zt640 {

LightingDevicePage::LightingDevicePage(QWidget* page, CKalvexLightingDevice& device, DeviceKind kind,
                                       CMpDevicePowerUI* power, ui::PanelPrompts prompts,
                                       std::unique_ptr<ZonePicture> picture, std::vector<const char*> tabs)
    : DevicePage(page, device, kind, power, std::move(prompts)),
      device_(device),
      picture_(std::move(picture)),
      tabs_(std::move(tabs)) {}

LightingDevicePage::~LightingDevicePage() = default;

void LightingDevicePage::SetDeviceRunner(DeviceRunner runner) { SetRunner<CKalvexLightingDevice>(std::move(runner)); }

void LightingDevicePage::LoadLightingPanels(DeviceKind kind, const std::string& what) {
  if (LoadProfileList(kind, what)) device_.SetProfileName(profiles_->List().GetActiveProfileUuid());
  device_.LoadProfileState();
  device_.LoadNameLists();
  if (light_) light_->SetModeList(device_.ModeList(), kHighestLightLevel, kHighestLightLevel);
  device_.InitializeDevice();
  ShowLightPanel();
  ShowFunctionSwitch(FunctionSwitch::kLighting);
}

CBasicProfiledata& LightingDevicePage::EditedProfile() { return device_.ProfileData(); }

void LightingDevicePage::FollowProfilePanel(CDeviceProfileUI::Follow follow) {
  if (follow == CDeviceProfileUI::Follow::kActivateSelected || follow == CDeviceProfileUI::Follow::kReloadActive) {
    TakeActiveProfile();
  }
}

void LightingDevicePage::TakeActiveProfile() {
  if (!profiles_) return;
  // Taken on the worker behind the edits queued there (they belong to the
  // profile before); the device then runs the new profile's lighting.
  auto words = std::make_shared<std::array<uint32_t, 4>>();
  RunOn<CKalvexLightingDevice>(
      [uuid = profiles_->List().GetActiveProfileUuid(), words](CKalvexLightingDevice& device) {
        device.SetProfileName(uuid);
        device.ApplyProfile();
        if (device.Channel().is_open()) LogIfFailed(device.WriteSettingsRecord(0, 0), "settings record write");
        *words = device.GetLightState().Words();
      },
      [this, words] {
        if (light_) light_->SetLightInfo(*words);
        AfterProfileTaken();
      });
}

void LightingDevicePage::ReloadAfterReset() { TakeActiveProfile(); }

void LightingDevicePage::ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) {
  auto saved = std::make_shared<bool>(true);
  auto words = std::make_shared<std::array<uint32_t, 4>>();
  RunOn<CKalvexLightingDevice>(
      [edits, saved, words](CKalvexLightingDevice& device) {
        LightState state = device.GetLightState();
        ApplyByteEdits(state, edits);
        device.SetLightState(state.Words());
        *saved = device.SaveProfileData();
        // The settings record takes the saved state before it is written.
        device.InitializeDevice();
        if (device.Channel().is_open()) LogIfFailed(device.WriteSettingsRecord(0, 0), "settings record write");
        *words = device.GetLightState().Words();
      },
      [this, saved, words] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
        if (light_) light_->SetLightInfo(*words);
      });
}

void LightingDevicePage::OnFunctionTab(int function_switch) {
  if (function_switch <= FunctionSwitch::kNone) return;
  device_.SetFunctionSwitch(function_switch);
  ShowFunctionSwitch(function_switch);
}

void LightingDevicePage::ShowKeyLight(unsigned ui_key, const ZoneColour& colour) {
  if (picture_) picture_->StoreLightColour(ui_key, colour.red, colour.green, colour.blue, colour.brightness);
}

void LightingDevicePage::ShowFunctionSwitch(int32_t value) {
  if (value == FunctionSwitch::kLighting && !tabs_.empty()) CheckTab(tabs_.front());
  // The function stack follows the checked tab (the sound tabs share one switch).
  if (!page_ || !function_pages_) return;
  for (size_t i = 0; i < tabs_.size(); ++i) {
    auto* tab = page_->findChild<QAbstractButton*>(QString::fromLatin1(tabs_[i]));
    if (tab != nullptr && tab->isChecked() && static_cast<int>(i) < function_pages_->count()) {
      function_pages_->setCurrentIndex(static_cast<int>(i));
    }
  }
}

void LightingDevicePage::ShowLightState(const LightEffect&) { ShowLightPanel(); }

}  // namespace zt640
