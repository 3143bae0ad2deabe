#include "shell/same_lighting.h"

#include "devices/kalvex_usb_device.h"
#include "devices/light_state.h"
#include "shell/light_sync.h"

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
  (void)device.SaveProfileData();
  (void)device.WriteSettingsRecord(0, 0);
}

}  // namespace zt640
