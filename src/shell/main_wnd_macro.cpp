// The main window's macro recording and key capture: the hook and its routes.
#include "editors/hook_control.h"
#include "shell/device_hook_control.h"
#include "shell/macro_hook_routes.h"
#include "shell/main_wnd.h"

namespace zt640 {

MacroHookRoutes& CMainWnd::MacroRoutes() {
  if (macro_routes_ == nullptr) {
    macro_routes_ = new MacroHookRoutes(this, [this] { return SelectedKeyboardPage(); });
    macro_routes_->SetHook(std::make_unique<DeviceHookControl>(messages()));
  }
  return *macro_routes_;
}

void CMainWnd::SetHookControl(std::unique_ptr<HookControl> hook) { MacroRoutes().SetHook(std::move(hook)); }

}  // namespace zt640
