#include "shell/same_lighting.h"

#include "devices/kalvex_usb_device.h"
#include "devices/light_state.h"
#include "platform/diag/debug_output.h"
#include "shell/light_sync.h"
#include "transport/command_result.h"

namespace zt640 {

bool SameLighting::Apply(CKalvexUSBDevice& selected, const std::vector<CKalvexUSBDevice*>& devices,
                         SharedSyncEffect& remembered) {
  return Apply(selected.GetKind(), selected.GetLightState().ToEffect(), devices, remembered, &WriteEffect);
}

bool SameLighting::Apply(DeviceKind selected_kind, const LightEffect& effect,
                         const std::vector<CKalvexUSBDevice*>& devices, SharedSyncEffect& remembered,
                         const Writer& write) {
  const std::optional<CommonEffects::Effect> common = CommonEffects::FromMode(selected_kind, effect.mode);
  if (!common) return false;
  remembered.Remember(*common, effect);
  for (CKalvexUSBDevice* device : devices) {
    if (device == nullptr || !device->Channel().is_open()) continue;
    const std::optional<uint8_t> mode = CommonEffects::ModeFor(device->GetKind(), *common);
    if (!mode) continue;
    LightEffect target = effect;
    target.mode = *mode;
    write(*device, target);
  }
  return true;
}

void SameLighting::WriteEffect(CKalvexUSBDevice& device, const LightEffect& effect) {
  LightState state = device.GetLightState();
  state.bytes[LightState::kMode] = effect.mode;
  state.bytes[LightState::kBrightness] = effect.brightness;
  state.bytes[LightState::kSpeed] = effect.speed;
  state.bytes[LightState::kDirection] = effect.direction;
  state.bytes[LightState::kMulticolour] = effect.multicolor;
  state.bytes[LightState::kRed] = effect.red;
  state.bytes[LightState::kGreen] = effect.green;
  state.bytes[LightState::kBlue] = effect.blue;
  device.SetLightState(state.Words());
  // This runs on the device's worker with nobody to tell: failures go to the log.
  if (!device.SaveProfileData()) platform::DebugOutput("common effect not saved in the profile");
  const int written = device.WriteSettingsRecord(0, 0);
  if (written != CommandResult::kSuccess) {
    platform::DebugOutput("common effect not written to the device: " + std::to_string(written));
  }
}

}  // namespace zt640
