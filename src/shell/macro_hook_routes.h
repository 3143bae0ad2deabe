#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "editors/hook_control.h"
#include "platform/ipc/window_message.h"

namespace zt640 {

class CMacroControlUI;
class CKeySetControlUI;
class CMacroControlUI;
namespace ui {
class WindowImplBase;
}

/// The main window's part in macro recording and key capture: it starts and stops
/// the hook for the recording buttons, the recording items of the "macro_action" menu
/// and the key assignment editor's capture field, and hands each hook message to the
/// macro panel or key assignment editor of the page that is shown. UI thread only.
class MacroHookRoutes : public QObject {
  Q_OBJECT
 public:
  /// Message 1054: wParam 1 starts the key capture hook, 0 removes the hooks.
  static constexpr std::uint32_t kHookControlMessage = 1054;
  /// Skin id of the event list's context menu.
  static constexpr char kMenuSkin[] = "XML_MACRO_ACTION_MENU";

  /// The panels of the page that is shown (null when it has none) and how that
  /// page stores a key the capture hook reports.
  struct ShownPage {
    CMacroControlUI* macros = nullptr;
    CKeySetControlUI* key_set = nullptr;
    std::function<bool(std::uint8_t scan_code, bool extended)> capture_key;
  };
  using PageSource = std::function<ShownPage()>;

  /// `window` owns the routes and receives the menu's choice; `shown_page` gives the
  /// page of the selected device (null when it has none).
  MacroHookRoutes(ui::WindowImplBase* window, PageSource shown_page);
  ~MacroHookRoutes() override;

  /// The hook to drive (null: recording and capture have no hook; the capture field
  /// then takes the keys typed into it).
  void SetHook(std::unique_ptr<HookControl> hook);
  [[nodiscard]] HookControl* Hook() const { return hook_.get(); }
  /// The mode the hook was started in; kNone when it is stopped.
  [[nodiscard]] platform::input::HookMode Mode() const { return mode_; }

  /// A hook message or message 1054: its result; nullopt when the message is not one
  /// of them. `awake` false (the system is suspending) ignores hook messages.
  std::optional<std::int64_t> OnMessage(const platform::WindowMessage& message, bool awake);
  /// "macro_btn_starredio", "macro_btn_stopredio" and the capture field
  /// "keyset_keyboard_text_edit"; false for any other control.
  bool OnClick(const QString& name);
  /// The capture field lost the focus: the capture hook is removed.
  bool OnKillFocus(const QString& name);
  /// An item of the "macro_action" menu; false when it is not one.
  bool OnMenuItem(const QString& item);
  /// Opens the "macro_action" menu at a screen position (a menu still open closes).
  void OpenMenu(const QPoint& global_position);
  /// Ends a running recording (saving it) and removes the hooks.
  void StopAll();

 private:
  /// Starts recording on the shown macro panel in `mode` with `timing`.
  void StartRecording(platform::input::HookMode mode, int timing);
  void StopRecording();
  void StartCapture();
  /// Starts the hook; false when there is none or it did not start.
  bool StartHook(platform::input::HookMode mode, bool keyboard, bool mouse);
  void StopHook();
  /// Lets the capture field take its own keys (no hook, or one that only sees this window).
  void SetOwnKeyCapture(bool on);
  [[nodiscard]] CMacroControlUI* ShownMacros() const;
  std::int64_t OnHookEvent(platform::input::HookMode mode, bool keyboard, const platform::WindowMessage& message);

  struct HookMessage {
    std::uint32_t id = 0;
    platform::input::HookMode mode = platform::input::HookMode::kNone;
    bool keyboard = true;
  };

  QPointer<ui::WindowImplBase> window_;
  PageSource shown_page_;
  std::unique_ptr<HookControl> hook_;
  platform::input::HookMode mode_ = platform::input::HookMode::kNone;
  /// The panel a recording runs on, so that its end reaches it.
  QPointer<CMacroControlUI> recording_;
  QPointer<QWidget> menu_;
  std::array<HookMessage, 13> messages_{};
};

}  // namespace zt640
