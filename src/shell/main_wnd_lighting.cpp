// The main window's lighting actions: the light-control flag, game event lighting,
// the same effect on every device, the device table answer and the reset.
#include <QLabel>
#include <QAbstractButton>
#include <unistd.h>

#include "devices/kalvex_usb_device.h"
#include "platform/diag/debug_output.h"
#include "platform/ipc/ipc_client.h"
#include "shell/device_selector.h"
#include "shell/device_table_answer.h"
#include "shell/game_event_lighting.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/lighting_device_page.h"
#include "pages/mouse/mouse_page.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "shell/same_lighting.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr std::int64_t kQueryAnswerTimeoutMs = 1000;

/// Shows the text of `text_key` on `control` and keeps the key on it, so that a
/// change of language shows the same text in the new language.
void SetControlTextKey(QWidget* control, const char* text_key) {
  if (control == nullptr) return;
  const QString key = QString::fromLatin1(text_key);
  control->setProperty("textKey", key);
  const QString text = ui::ResourceManager::Instance().Language().Text(key);
  if (auto* label = qobject_cast<QLabel*>(control)) label->setText(text);
  if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text);
}
}  // namespace

void CMainWnd::ToggleLightControl() {
  const int flag = light_control_ != 0 ? 0 : 1;
  light_control_ = flag;
  if (!runtime_folder_.empty() && UWM_LIGHT_CONTROL_ANNOUNCE_MSG != 0) {
    platform::WindowMessage announce;
    announce.message = UWM_LIGHT_CONTROL_ANNOUNCE_MSG;
    announce.wparam = 1;
    announce.lparam = flag;
    (void)platform::IpcClient(runtime_folder_).Broadcast(announce);  // no listener is no failure
  }
  SetControlTextKey(FindControl(QStringLiteral("control_light_status")),
                    flag == 0 ? kLightControlStartKey : kLightControlStopKey);
  ApplyLightControl(flag != 0 && system_awake_);
}

void CMainWnd::SetLightControl(int flag, const char* text_key) {
  light_control_ = flag;
  SetControlTextKey(FindControl(QStringLiteral("control_light_status")), text_key);
  ApplyLightControl(flag != 0 && system_awake_);
}

void CMainWnd::ApplyLightControl(bool on) {
  if (!selector_) return;
  // Switching host lighting on is an exchange with a keyboard: on its worker.
  for (CKalvexUSBDevice* device : selector_->DevicesInKindOrder()) {
    device->SetHostLighting(on, false);
    if (on) selector_->RunOnDevice(device, [](CKalvexUSBDevice& target) { target.SetHostLighting(true); });
  }
}

void CMainWnd::OnGameEvent(std::uint64_t action, std::int64_t mode) {
  // Other programs send these at any time: the device's worker writes the mode.
  if (CKalvexUSBDevice* device = SelectedDevice(); device != nullptr && selector_) {
    selector_->RunOnDevice(device, [action, mode](CKalvexUSBDevice& target) {
      (void)GameEventLighting::Apply(target, action, mode);  // an unknown action is ignored, as designed
    });
  }
  // The restore follows 5 s after the last event, whatever the event asked.
  // Cannot fail: own control, positive period.
  (void)timers().SetTimer(this, kGameEventTimer, GameEventLighting::kRestoreDelayMs);
}

void CMainWnd::RestoreAfterGameEvents() {
  if (CKalvexUSBDevice* device = SelectedDevice(); device != nullptr && selector_) {
    selector_->RunOnDevice(device, [](CKalvexUSBDevice& target) { GameEventLighting::Restore(target); });
  }
}

void CMainWnd::AnswerDeviceTableQuery() {
  if (runtime_folder_.empty() || !selector_) return;
  const platform::IpcClient client(runtime_folder_);
  const std::optional<platform::WindowAddress> tool =
      client.FindWindow(std::nullopt, std::string_view(DeviceTableAnswer::kQueryWindowTitle));
  if (!tool) return;
  const std::vector<std::uint8_t> block = DeviceTableAnswer::Build(selector_->Catalogue());
  const platform::IpcSendOutcome sent = client.SendCopyData(*tool, static_cast<std::uint64_t>(::getpid()),
                                                            DeviceTableAnswer::kCopyDataKind, block,
                                                            kQueryAnswerTimeoutMs);
  if (sent.status != platform::IpcStatus::kOk) {
    platform::DebugOutput(std::string("device table answer not delivered: ") + platform::IpcStatusText(sent.status));
  }
}

void CMainWnd::SameModeOnAllDevices() {
  CKalvexUSBDevice* selected = SelectedDevice();
  if (selected == nullptr || !selector_) return;
  // The selected device's effect is read behind the edits still queued on its
  // worker; each device's state, profile and settings record then change on its own.
  auto effect = std::make_shared<LightEffect>();
  selector_->RunOnDevice(
      selected, [effect](CKalvexUSBDevice& device) { *effect = device.GetLightState().ToEffect(); },
      [this, effect, kind = selected->GetKind()] {
        if (!selector_) return;
        // A mode without a common effect leaves every device as it is.
        (void)SameLighting::Apply(kind, *effect, selector_->DevicesInKindOrder(), sync_effect_,
                                  [this](CKalvexUSBDevice& device, const LightEffect& target) {
                                    selector_->RunOnDevice(&device, [target](CKalvexUSBDevice& worked) {
                                      SameLighting::WriteEffect(worked, target);
                                    });
                                  });
      });
}

void CMainWnd::ResetSelectedToDefaults() {
  if (MousePage* mouse = SelectedMousePage()) {
    mouse->ResetSelectedProfile();
    return;
  }
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    lighting->ResetSelectedProfile();
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  if (page == nullptr) return;
  page->ResetSelectedProfile();
}

}  // namespace zt640
