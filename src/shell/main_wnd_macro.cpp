// The main window's macro recording and key capture: the hook and its routes.
#include "editors/hook_control.h"
#include "shell/device_hook_control.h"
#include "shell/macro_hook_routes.h"
#include "shell/main_wnd.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/mouse/mouse_page.h"

namespace zt640 {

MacroHookRoutes& CMainWnd::MacroRoutes() {
  if (macro_routes_ == nullptr) {
    macro_routes_ = new MacroHookRoutes(this, [this]() -> MacroHookRoutes::ShownPage {
      if (KeyboardPage* page = SelectedKeyboardPage()) {
        return {page->Macros(), page->KeySet(),
                [page](std::uint8_t scan_code, bool extended) { return page->OnKeyCapture(scan_code, extended); }};
      }
      if (MousePage* page = SelectedMousePage()) {
        return {page->Macros(), page->KeySet(),
                [page](std::uint8_t scan_code, bool extended) { return page->OnKeyCapture(scan_code, extended); }};
      }
      return {};
    });
    macro_routes_->SetHook(std::make_unique<DeviceHookControl>(messages()));
  }
  return *macro_routes_;
}

void CMainWnd::SetHookControl(std::unique_ptr<HookControl> hook) { MacroRoutes().SetHook(std::move(hook)); }

}  // namespace zt640
