// The main window's routes to the pages of the mouse pad and the headset.
#include "devices/headset/kalvex_hs6533_device.h"
#include "pages/headset/headset_page.h"
#include "pages/lighting_device_page.h"
#include "pages/pad/pad_page.h"
#include "shell/control_routes.h"
#include "shell/device_option_ui.h"
#include "shell/device_plugins.h"
#include "shell/device_selector.h"
#include "shell/main_wnd.h"

namespace zt640 {

LightingDevicePage* CMainWnd::SelectedLightingPage() const {
  if (!selector_) return nullptr;
  const CDeviceOptionUI* entry = selector_->SelectedEntry();
  if (entry == nullptr) return nullptr;
  return dynamic_cast<LightingDevicePage*>(selector_->SinkForType(entry->TypeIndex()));
}

HeadsetPage* CMainWnd::SelectedHeadsetPage() const { return dynamic_cast<HeadsetPage*>(SelectedLightingPage()); }

void CMainWnd::OnLightingPageCreated(CKalvexUSBDevice& device, LightingDevicePage& page) {
  page.SetPostHandler([this](uint32_t message, uintptr_t wparam, intptr_t lparam) {
    platform::WindowMessage post;
    post.message = message;
    post.wparam = wparam;
    post.lparam = lparam;
    (void)messages().Post(std::move(post));  // closed only while the window goes away
  });
  // An edit's exchanges run on the device's worker, after those asked before.
  page.SetDeviceRunner([this, target = &device](std::function<void(CKalvexLightingDevice&)> work,
                                                std::function<void()> done) {
    if (!selector_) return;
    selector_->RunOnDevice(
        target,
        [work = std::move(work)](CKalvexUSBDevice& worked) { work(static_cast<CKalvexLightingDevice&>(worked)); },
        std::move(done));
  });
  if (auto* headset = dynamic_cast<HeadsetPage*>(&page)) {
    headset->LoadPanels();
  } else if (auto* pad = dynamic_cast<PadPage*>(&page)) {
    pad->LoadPanels();
  }
}

void CMainWnd::BindHeadsetAudio(std::uint64_t slot) {
  // The simulator's headset keeps the in-memory layer it was made with.
  if (!selector_ || HeadsetAudioSimulated() || slot >= selector_->Slots().size()) return;
  const std::optional<InterfaceSlot> record = selector_->Slots().Slot(slot);
  if (!record || record->kind != DeviceKind::kHeadset || record->role != kRoleCommand || record->path.empty()) return;
  CKalvexUSBDevice* headset = selector_->DeviceForType(InterfaceCatalogue::kHeadsetType);
  if (dynamic_cast<CKalvexHS6533Device*>(headset) == nullptr) return;
  selector_->RunOnDevice(
      headset,
      [path = record->path](CKalvexUSBDevice& device) {
        static_cast<CKalvexHS6533Device&>(device).ReplaceAudio(HeadsetAudioFor(path));
      },
      nullptr);
}

bool CMainWnd::OnLightingPageClick(LightingDevicePage& page, const QString& name, const ClickTarget& target) {
  switch (target.route) {
    case ClickRoute::kKeyButton:
      // The zones of these pictures are not keys: nothing to assign.
      return true;
    case ClickRoute::kPaletteColour:
      (void)page.OnLightNotify(QStringLiteral("click"), name, 0);
      return true;
    case ClickRoute::kProfilePanel:
    case ClickRoute::kProfileSpread:
      (void)page.OnProfileClick(name);
      return true;
    case ClickRoute::kHeadsetEq:
      if (auto* headset = dynamic_cast<HeadsetPage*>(&page)) headset->OnCurveClick(name);
      return true;
    case ClickRoute::kNone:
      if (name != QLatin1String("deng_colordp_btn")) return false;
      page.PickLightColour();
      return true;
    default:
      // The window's own buttons and the default reset keep their common routes.
      return false;
  }
}

void CMainWnd::OnLightingPageSelectChanged(LightingDevicePage& page, const QString& name, bool checked) {
  switch (ControlRoutes::SelectChanged(name)) {
    case ControlOwner::kFunctionTab:
      if (checked) page.OnFunctionTab(ControlRoutes::FunctionTabSwitch(name));
      break;
    case ControlOwner::kLightEditor:
      (void)page.OnLightNotify(QStringLiteral("selectchanged"), name, checked ? 1 : 0);
      break;
    case ControlOwner::kHeadsetEq:
    case ControlOwner::kHeadsetVoice:
      if (auto* headset = dynamic_cast<HeadsetPage*>(&page)) headset->OnSoundSelectChanged(name, checked);
      break;
    default:
      break;
  }
}

void CMainWnd::OnLightingPageValueChanged(LightingDevicePage& page, const QString& name, qint64 value) {
  switch (ControlRoutes::ValueChanged(name)) {
    case ControlOwner::kLightEditor:
      (void)page.OnLightNotify(QStringLiteral("valuechanged"), name, value);
      break;
    case ControlOwner::kHeadsetEq:
      if (auto* headset = dynamic_cast<HeadsetPage*>(&page)) headset->OnSoundValueChanged(name, static_cast<int>(value));
      break;
    default:
      break;
  }
}

void CMainWnd::OnLightingPageItemSelect(LightingDevicePage& page, const QString& name, int index) {
  switch (ControlRoutes::ItemSelect(name)) {
    case ControlOwner::kProfilePanel:
      // Only the last of several quick choices is activated (SetTimer cannot fail here).
      if (page.OnProfileItemSelect(name, index)) (void)timers().SetTimer(this, kProfileSwitchTimer, kProfileSwitchDelayMs);
      break;
    case ControlOwner::kLightEditor:
      (void)page.OnLightNotify(QStringLiteral("itemselect"), name, index);
      break;
    case ControlOwner::kCustomEq:
      if (auto* headset = dynamic_cast<HeadsetPage*>(&page)) headset->OnCurveSelected(index);
      break;
    default:
      break;
  }
}

void CMainWnd::OnLightingPageKillFocus(LightingDevicePage& page, const QString& name) {
  if (ControlRoutes::KillFocus(name) == ControlOwner::kLightEditor) {
    (void)page.OnLightNotify(QStringLiteral("killfocus"), name, 0);
  }
}

}  // namespace zt640
