// The main window's routing of control notifications to the selected device's page.
#include <QFileDialog>
#include <QPushButton>
#include <QShowEvent>

#include "audio/audio_lighting.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "shell/control_routes.h"
#include "shell/device_option_ui.h"
#include "shell/device_selector.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/lighting_device_page.h"
#include "pages/mouse/mouse_page.h"
#include "shell/macro_hook_routes.h"
#include "shell/main_wnd.h"
#include "editors/color_select_wnd.h"
#include "shell/msg_wnd.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr char kConfirmResetKey[] = "message_text_22";
}

ui::PanelPrompts CMainWnd::DefaultPrompts() {
  ui::PanelPrompts prompts;
  prompts.message = [this](const QString& text, int mode) {
    return CMsgWnd::ShowMessage(this, QString(), text, dpi_, mode);
  };
  prompts.file = [this](const QString& filter, bool save, const QString& suggested) {
    return save ? QFileDialog::getSaveFileName(this, QString(), suggested, filter)
                : QFileDialog::getOpenFileName(this, QString(), suggested, filter);
  };
  prompts.colour = [this](QRgb initial, bool allow_multicolour, const std::string& palette_path,
                          const std::string& defaults_path, QRgb* chosen, bool* multicolour) {
    return CColorSelectWnd::Pick(this, palette_path, defaults_path, allow_multicolour, initial, dpi_, chosen,
                                 multicolour) == 1
               ? 1
               : 0;
  };
  return prompts;
}

CKalvexUSBDevice* CMainWnd::SelectedDevice() const {
  if (!selector_) return nullptr;
  const CDeviceOptionUI* entry = selector_->SelectedEntry();
  return entry != nullptr ? entry->Device() : nullptr;
}

KeyboardPage* CMainWnd::SelectedKeyboardPage() const {
  if (!selector_) return nullptr;
  const CDeviceOptionUI* entry = selector_->SelectedEntry();
  if (entry == nullptr) return nullptr;
  return dynamic_cast<KeyboardPage*>(selector_->SinkForType(entry->TypeIndex()));
}

MousePage* CMainWnd::SelectedMousePage() const {
  if (!selector_) return nullptr;
  const CDeviceOptionUI* entry = selector_->SelectedEntry();
  if (entry == nullptr) return nullptr;
  return dynamic_cast<MousePage*>(selector_->SinkForType(entry->TypeIndex()));
}

void CMainWnd::OnDeviceCreated(CKalvexUSBDevice& device, QWidget* page, DevicePanelSink* sink) {
  sync_devices_.Add(&device);
  device.SetHostLighting(light_control_ != 0 && system_awake_);
  if (page != nullptr) {
    hub().Attach(page);
    ui::ResourceManager::Instance().Language().Bind(page);
  }
  if (auto* keyboard_page = dynamic_cast<KeyboardPage*>(sink)) {
    keyboard_page->SetPostHandler([this](uint32_t message, uintptr_t wparam, intptr_t lparam) {
      platform::WindowMessage post;
      post.message = message;
      post.wparam = wparam;
      post.lparam = lparam;
      (void)messages().Post(std::move(post));  // closed only while the window goes away
    });
    if (CMacroControlUI* macros = keyboard_page->Macros()) {
      connect(macros, &CMacroControlUI::EventMenuRequested, this,
              [this](const QPoint& position) { MacroRoutes().OpenMenu(position); });
    }
    // An edit's exchanges run on the keyboard's worker, after those asked before.
    keyboard_page->SetDeviceRunner([this, target = &device](std::function<void(CKalvexKeyboardDevice&)> work,
                                                            std::function<void()> done) {
      if (!selector_) return;
      selector_->RunOnDevice(
          target, [work = std::move(work)](CKalvexUSBDevice& worked) { work(static_cast<CKalvexKeyboardDevice&>(worked)); },
          std::move(done));
    });
    keyboard_page->LoadPanels();
  }
  if (auto* lighting_page = dynamic_cast<LightingDevicePage*>(sink)) OnLightingPageCreated(device, *lighting_page);
  if (auto* mouse_page = dynamic_cast<MousePage*>(sink)) {
    mouse_page->Device().SetScreenSize(static_cast<uint16_t>(screen_width_), static_cast<uint16_t>(screen_height_));
    mouse_page->SetPostHandler([this](uint32_t message, uintptr_t wparam, intptr_t lparam) {
      platform::WindowMessage post;
      post.message = message;
      post.wparam = wparam;
      post.lparam = lparam;
      (void)messages().Post(std::move(post));  // closed only while the window goes away
    });
    // An edit's exchanges run on the mouse's worker, after those asked before.
    if (CMacroControlUI* macros = mouse_page->Macros()) {
      connect(macros, &CMacroControlUI::EventMenuRequested, this,
              [this](const QPoint& position) { MacroRoutes().OpenMenu(position); });
    }
    mouse_page->SetDeviceRunner([this, target = &device](std::function<void(CKalvexMouseDevice&)> work,
                                                         std::function<void()> done) {
      if (!selector_) return;
      selector_->RunOnDevice(
          target, [work = std::move(work)](CKalvexUSBDevice& worked) { work(static_cast<CKalvexMouseDevice&>(worked)); },
          std::move(done));
    });
    mouse_page->LoadPanels();
  }
  UpdateOnScreen();
}

// The handlers below answer whether a control was theirs. The route tables have
// already chosen the owner, so that answer is dropped; failures are shown inside.
void CMainWnd::OnClick(const QString& name) {
  const ClickTarget target = ControlRoutes::Click(name);
  if (MousePage* mouse = SelectedMousePage(); mouse != nullptr && OnMouseClick(*mouse, name, target)) return;
  if (LightingDevicePage* lighting = SelectedLightingPage();
      lighting != nullptr && OnLightingPageClick(*lighting, name, target)) {
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  switch (target.route) {
    case ClickRoute::kKeyButton:
      if (page != nullptr) page->OnKeyClick(target.index);
      break;
    case ClickRoute::kPaletteColour:
      if (page != nullptr) (void)page->OnLightNotify(QStringLiteral("click"), name, 0);
      break;
    case ClickRoute::kClose:
      HideToTray();
      break;
    case ClickRoute::kNoDeviceOk:
      hide();
      break;
    case ClickRoute::kLightControl:
      ToggleLightControl();
      break;
    case ClickRoute::kMinimise:
      showMinimized();
      break;
    case ClickRoute::kMaximise:
      showMaximized();
      if (max_button_) max_button_->hide();
      if (restore_button_) restore_button_->show();
      break;
    case ClickRoute::kRestore:
      showNormal();
      if (restore_button_) restore_button_->hide();
      if (max_button_) max_button_->show();
      break;
    case ClickRoute::kDefault:
      if (SelectedDevice() != nullptr && prompts_.Message(QString::fromLatin1(kConfirmResetKey), 1) == 1) {
        ResetSelectedToDefaults();
        if (audio_ != nullptr) audio_->RestoreAudioStyles();
      }
      break;
    case ClickRoute::kResetRepeat:
      if (page != nullptr) page->ResetRepeat();
      break;
    case ClickRoute::kProfilePanel:
    case ClickRoute::kProfileSpread:
      if (page != nullptr) (void)page->OnProfileClick(name);
      break;
    case ClickRoute::kKeySet:
      if (page != nullptr) (void)page->OnKeySetClick(name);
      break;
    case ClickRoute::kMacroLibrary:
    case ClickRoute::kMacroInsertMove:
      if (page != nullptr) (void)page->OnMacroClick(name);
      break;
    case ClickRoute::kMacroRecord:
      (void)MacroRoutes().OnClick(name);
      break;
    case ClickRoute::kCustomFill:
      if (page != nullptr) page->FillCustom(name.compare(QLatin1String("custom_bright_color_btn"), Qt::CaseInsensitive) == 0);
      break;
    case ClickRoute::kSameMode:
      SameModeOnAllDevices();
      break;
    case ClickRoute::kSkin:
      OpenSkinFrame();
      break;
    case ClickRoute::kSettings:
      OpenSettingsWindow(false);
      break;
    case ClickRoute::kWindowDeviceSet:
      OpenSystemSettingsPanel(target.index);
      break;
    case ClickRoute::kSelectPrevious:
    case ClickRoute::kSelectNext:
      if (selector_) (void)selector_->SelectAdjacent(target.route == ClickRoute::kSelectNext);
      break;
    default:
      // The lighting editor's colour button opens the palette dialog.
      if (page != nullptr && name == QLatin1String("deng_colordp_btn")) page->PickLightColour();
      // The key assignment editor's capture field starts the key hook.
      (void)MacroRoutes().OnClick(name);
      // Other routes lead to windows and panels this build does not contain yet.
      break;
  }
}

bool CMainWnd::OnMouseClick(MousePage& page, const QString& name, const ClickTarget& target) {
  switch (target.route) {
    case ClickRoute::kKeyButton:
      page.OnKeyClick(target.index);
      return true;
    case ClickRoute::kPaletteColour:
      (void)page.OnLightNotify(QStringLiteral("click"), name, 0);
      return true;
    case ClickRoute::kDpiColour:
      page.PickStageColour(target.index);
      return true;
    case ClickRoute::kProfilePanel:
    case ClickRoute::kProfileSpread:
      (void)page.OnProfileClick(name);
      return true;
    case ClickRoute::kKeySet:
      (void)page.OnKeySetClick(name);
      return true;
    case ClickRoute::kMacroLibrary:
    case ClickRoute::kMacroInsertMove:
      (void)page.OnMacroClick(name);
      return true;
    case ClickRoute::kShoot:
      (void)page.OnShootClick(name);
      return true;
    case ClickRoute::kNone:
      if (name != QLatin1String("deng_colordp_btn")) return false;
      page.PickLightColour();
      return true;
    default:
      // The window's own buttons, the default reset and the macro recording keep
      // their common routes.
      return false;
  }
}

void CMainWnd::OnSelectChanged(const QString& name, bool checked) {
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    OnLightingPageSelectChanged(*lighting, name, checked);
    return;
  }
  if (MousePage* mouse = SelectedMousePage()) {
    switch (ControlRoutes::SelectChanged(name)) {
      case ControlOwner::kFunctionTab:
        if (checked) mouse->OnFunctionTab(ControlRoutes::FunctionTabSwitch(name));
        break;
      case ControlOwner::kMouseDpi:
        mouse->OnStageSelectChanged(name, checked);
        break;
      case ControlOwner::kSystemMouse:
        mouse->OnSystemControl(name);
        break;
      case ControlOwner::kShoot:
        (void)mouse->OnShootSelectChanged(name, checked);
        break;
      case ControlOwner::kKeySet:
        (void)mouse->OnKeySetSelectChanged(name, checked);
        break;
      case ControlOwner::kLightEditor:
        (void)mouse->OnLightNotify(QStringLiteral("selectchanged"), name, checked ? 1 : 0);
        break;
      default:
        break;
    }
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  if (page == nullptr) return;
  switch (ControlRoutes::SelectChanged(name)) {
    case ControlOwner::kFunctionTab:
      if (checked) page->OnFunctionTab(ControlRoutes::FunctionTabSwitch(name));
      break;
    case ControlOwner::kKeyboardOptions:
    case ControlOwner::kMouseDpi:  // the polling rate options: the keyboard's page has them too
      page->OnOptionChanged(name);
      break;
    case ControlOwner::kKeySet:
      (void)page->OnKeySetSelectChanged(name, checked);
      break;
    case ControlOwner::kLightEditor:
      (void)page->OnLightNotify(QStringLiteral("selectchanged"), name, checked ? 1 : 0);
      break;
    default:
      break;
  }
}

void CMainWnd::OnMoveValueChanged(const QString& name, qint64 value) {
  if (ControlRoutes::ValueChanged(name) != ControlOwner::kMouseDpi) return;
  if (MousePage* mouse = SelectedMousePage()) mouse->OnStageSlider(name, static_cast<int>(value), true);
}

void CMainWnd::OnValueChanged(const QString& name, qint64 value) {
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    OnLightingPageValueChanged(*lighting, name, value);
    return;
  }
  if (MousePage* mouse = SelectedMousePage()) {
    switch (ControlRoutes::ValueChanged(name)) {
      case ControlOwner::kMouseDpi:
        mouse->OnStageSlider(name, static_cast<int>(value), false);
        break;
      case ControlOwner::kSystemMouse:
        mouse->OnSystemControl(name);
        break;
      case ControlOwner::kLightEditor:
        (void)mouse->OnLightNotify(QStringLiteral("valuechanged"), name, value);
        break;
      default:
        break;
    }
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  if (page == nullptr) return;
  switch (ControlRoutes::ValueChanged(name)) {
    case ControlOwner::kKeyboardOptions:
      page->OnOptionChanged(name);
      break;
    case ControlOwner::kLightEditor:
      (void)page->OnLightNotify(QStringLiteral("valuechanged"), name, value);
      break;
    default:
      break;
  }
}

void CMainWnd::OnColourChanged(const QString& name, qint64 colour) {
  if (name != QLatin1String("deng_Color_Pallet")) return;
  if (MousePage* mouse = SelectedMousePage()) (void)mouse->OnLightNotify(QStringLiteral("colorchanged"), name, colour);
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    (void)lighting->OnLightNotify(QStringLiteral("colorchanged"), name, colour);
  }
  if (KeyboardPage* page = SelectedKeyboardPage()) (void)page->OnLightNotify(QStringLiteral("colorchanged"), name, colour);
}

void CMainWnd::OnItemSelect(const QString& name, int index) {
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    OnLightingPageItemSelect(*lighting, name, index);
    return;
  }
  if (MousePage* mouse = SelectedMousePage()) {
    switch (ControlRoutes::ItemSelect(name)) {
      case ControlOwner::kProfilePanel:
        // Only the last of several quick choices is activated (SetTimer cannot fail here).
        if (mouse->OnProfileItemSelect(name, index)) (void)timers().SetTimer(this, kProfileSwitchTimer, kProfileSwitchDelayMs);
        break;
      case ControlOwner::kKeySet:
        (void)mouse->OnKeySetItemSelect(name, index);
        break;
      case ControlOwner::kMacroLibrary:
        (void)mouse->OnMacroItemSelect(name, index);
        break;
      case ControlOwner::kLightEditor:
        (void)mouse->OnLightNotify(QStringLiteral("itemselect"), name, index);
        break;
      default:
        break;
    }
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  if (page == nullptr) return;
  switch (ControlRoutes::ItemSelect(name)) {
    case ControlOwner::kProfilePanel:
      // Only the last of several quick choices is activated (SetTimer cannot fail here).
      if (page->OnProfileItemSelect(name, index)) (void)timers().SetTimer(this, kProfileSwitchTimer, kProfileSwitchDelayMs);
      break;
    case ControlOwner::kKeySet:
      (void)page->OnKeySetItemSelect(name, index);
      break;
    case ControlOwner::kMacroLibrary:
      (void)page->OnMacroItemSelect(name, index);
      break;
    case ControlOwner::kLightEditor:
      (void)page->OnLightNotify(QStringLiteral("itemselect"), name, index);
      break;
    default:
      break;
  }
}

void CMainWnd::OnKillFocus(const QString& name) {
  if (LightingDevicePage* lighting = SelectedLightingPage()) {
    OnLightingPageKillFocus(*lighting, name);
    return;
  }
  if (MousePage* mouse = SelectedMousePage()) {
    switch (ControlRoutes::KillFocus(name)) {
      case ControlOwner::kMouseDpi:
        mouse->OnStageEdit(name);
        break;
      case ControlOwner::kShoot:
        (void)mouse->OnShootKillFocus(name);
        break;
      case ControlOwner::kKeySet:
        (void)MacroRoutes().OnKillFocus(name);
        (void)mouse->OnKeySetKillFocus(name);
        break;
      case ControlOwner::kMacroLibrary:
        (void)mouse->OnMacroKillFocus(name);
        break;
      case ControlOwner::kLightEditor:
        (void)mouse->OnLightNotify(QStringLiteral("killfocus"), name, 0);
        break;
      default:
        break;
    }
    return;
  }
  KeyboardPage* page = SelectedKeyboardPage();
  if (page == nullptr) return;
  switch (ControlRoutes::KillFocus(name)) {
    case ControlOwner::kKeySet:
      (void)MacroRoutes().OnKillFocus(name);
      (void)page->OnKeySetKillFocus(name);
      break;
    case ControlOwner::kMacroLibrary:
      (void)page->OnMacroKillFocus(name);
      break;
    case ControlOwner::kLightEditor:
      (void)page->OnLightNotify(QStringLiteral("killfocus"), name, 0);
      break;
    default:
      break;
  }
}

void CMainWnd::OnSelectionEnd(const QString& panel) {
  // The selection names the keys the next custom colour fill applies to; nothing is
  // read from disk for it.
  if (panel != QLatin1String("device_key_light")) return;
  if (KeyboardPage* page = SelectedKeyboardPage()) page->OnSelectionEnd();
}

void CMainWnd::UpdateOnScreen() {
  if (!selector_) return;
  const bool shown = isVisible() && !isMinimized();
  for (CDeviceOptionUI* entry : selector_->Entries()) {
    entry->SetOnScreen(shown && entry->IsEntryVisible() && entry->IsSelected());
  }
}

void CMainWnd::showEvent(QShowEvent* event) {
  WindowImplBase::showEvent(event);
  UpdateOnScreen();
}

void CMainWnd::hideEvent(QHideEvent* event) {
  WindowImplBase::hideEvent(event);
  UpdateOnScreen();
  // A hook must not keep the keyboard while nobody can reach the stop button.
  if (macro_routes_ != nullptr) macro_routes_->StopAll();
}

void CMainWnd::changeEvent(QEvent* event) {
  WindowImplBase::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) UpdateOnScreen();
}

}  // namespace zt640
