#include "shell/macro_hook_routes.h"

#include <string_view>

#include "editors/macro_control_ui.h"
#include "platform/diag/debug_output.h"
#include "platform/ipc/registered_messages.h"
#include "editors/key_set_control_ui.h"
#include "shell/menu_wnd.h"

namespace zt640 {

namespace {

using platform::input::HookMode;

constexpr char kStart[] = "macro_btn_starredio";
constexpr char kStop[] = "macro_btn_stopredio";
constexpr char kCaptureField[] = "keyset_keyboard_text_edit";

constexpr int kRealTime = 1;
constexpr int kFixedTime = 2;
constexpr int kNoTime = 3;
/// A menu item whose timing follows "macro_check_time".
constexpr int kTimingByOption = 0;

/// The recording items of the "macro_action" menu.
struct RecordItem {
  const char* item;
  HookMode mode;
  int timing;
};
constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", HookMode::kRecordBefore, kTimingByOption},
    {"redio_previous_constant_time", HookMode::kRecordBefore, kFixedTime},
    {"redio_previous_ignore_time", HookMode::kRecordBefore, kNoTime},
    {"redio_later_record_time", HookMode::kRecordAfter, kTimingByOption},
    {"redio_later_constant_time", HookMode::kRecordAfter, kFixedTime},
    {"redio_later_ignore_time", HookMode::kRecordAfter, kNoTime},
    {"macro_action_edit", HookMode::kChangeSelected, kNoTime},
};

constexpr HookMode kAllModes[] = {HookMode::kSingleKey,      HookMode::kHitKey,          HookMode::kRecordAppend,
                                  HookMode::kRecordBefore,   HookMode::kRecordAfter,     HookMode::kChangeSelected,
                                  HookMode::kMouseSingleKey, HookMode::kMouseHitKey,     HookMode::kMouseKeyboardMacro};

bool IsRecordingMode(HookMode mode) {
  return mode == HookMode::kRecordAppend || mode == HookMode::kRecordBefore || mode == HookMode::kRecordAfter ||
         mode == HookMode::kChangeSelected;
}

bool Is(const QString& name, const char* control) { return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0; }

}  // namespace

MacroHookRoutes::MacroHookRoutes(ui::WindowImplBase* window, PageSource shown_page)
    : QObject(window), window_(window), shown_page_(std::move(shown_page)) {
  size_t next = 0;
  for (const HookMode mode : kAllModes) {
    for (const bool keyboard : {true, false}) {
      const std::string_view name =
          keyboard ? platform::input::KeyboardMessageName(mode) : platform::input::MouseMessageName(mode);
      if (name.empty() || next >= messages_.size()) continue;
      messages_[next++] = HookMessage{platform::RegisterWindowMessage(name), mode, keyboard};
    }
  }
}

MacroHookRoutes::~MacroHookRoutes() {
  // A hook must never outlive the window it feeds: it would keep the keyboard.
  if (hook_) hook_->Stop();
}

void MacroHookRoutes::SetHook(std::unique_ptr<HookControl> hook) {
  StopAll();
  hook_ = std::move(hook);
}

CMacroControlUI* MacroHookRoutes::ShownMacros() const {
  return shown_page_ ? shown_page_().macros : nullptr;
}

bool MacroHookRoutes::StartHook(HookMode mode, bool keyboard, bool mouse) {
  if (!hook_) return false;
  if (hook_->Start(mode, keyboard, mouse) != HookControl::kStarted) {
    mode_ = HookMode::kNone;
    platform::DebugOutput("hook not started for mode " + std::to_string(static_cast<std::uint32_t>(mode)));
    return false;
  }
  mode_ = mode;
  return true;
}

void MacroHookRoutes::StopHook() {
  if (hook_) hook_->Stop();
  mode_ = HookMode::kNone;
}

void MacroHookRoutes::SetOwnKeyCapture(bool on) {
  CKeySetControlUI* key_set = shown_page_ ? shown_page_().key_set : nullptr;
  if (key_set != nullptr) key_set->SetOwnKeyCapture(on);
}

void MacroHookRoutes::StartRecording(HookMode mode, int timing) {
  CMacroControlUI* panel = ShownMacros();
  if (panel == nullptr || panel->IsRecording() || panel->Library().GetSelectedMacro() < 0) return;
  if (timing == kTimingByOption) timing = panel->IsFixedTimeChecked() ? kFixedTime : kRealTime;
  SetOwnKeyCapture(false);
  // Without a running hook nothing would ever arrive: the panel is not locked then.
  if (!StartHook(mode, true, true)) return;
  if (!hook_->IsSystemWide() && !panel->InWindowNoted()) {
    // The note's own box must get its keys and its click, not the recording.
    StopHook();
    panel->NoteInWindowRecording();
    if (!StartHook(mode, true, true)) return;
  }
  panel->BeginRecording(timing);
  recording_ = panel;
}

void MacroHookRoutes::StopRecording() {
  StopHook();
  CMacroControlUI* panel = recording_;
  recording_ = nullptr;
  if (panel == nullptr) return;
  panel->EndRecording();
  panel->SaveSelectedMacro();
}

void MacroHookRoutes::StartCapture() {
  if (recording_) StopRecording();
  if (!shown_page_ || shown_page_().key_set == nullptr) return;
  // Only the keyboard is taken: the mouse stays free to leave the field, which ends
  // the capture.
  const bool started = StartHook(HookMode::kSingleKey, true, false);
  SetOwnKeyCapture(!started);
}

void MacroHookRoutes::StopAll() {
  if (recording_) {
    StopRecording();
  } else {
    StopHook();
  }
}

std::optional<std::int64_t> MacroHookRoutes::OnMessage(const platform::WindowMessage& message, bool awake) {
  if (message.message == kHookControlMessage) {
    if (message.wparam == 1) {
      StartCapture();
    } else if (message.wparam == 0) {
      StopAll();
    }
    return 1;
  }
  for (const HookMessage& hook_message : messages_) {
    if (hook_message.id == 0 || hook_message.id != message.message) continue;
    if (!awake) return 0;
    return OnHookEvent(hook_message.mode, hook_message.keyboard, message);
  }
  return std::nullopt;
}

std::int64_t MacroHookRoutes::OnHookEvent(HookMode mode, bool keyboard, const platform::WindowMessage& message) {
  // Records are only read while our own hook hands them over.
  if (!hook_ || message.lparam == 0 || !hook_->IsDelivering(message.lparam)) return 0;
  const auto id = static_cast<std::uint32_t>(message.wparam);
  if (IsRecordingMode(mode)) {
    CMacroControlUI* panel = recording_;
    if (panel == nullptr) return 0;
    // Their answer says whether the event list changed; an ignored event is no failure.
    if (keyboard) {
      (void)panel->OnKeyEvent(mode, id, *reinterpret_cast<const platform::input::KeyHookRecord*>(message.lparam));
    } else {
      (void)panel->OnMouseEvent(mode, id, *reinterpret_cast<const platform::input::MouseHookRecord*>(message.lparam));
    }
    return 1;
  }
  if (!keyboard || !platform::input::IsKeyPress(id)) return 1;
  const auto& record = *reinterpret_cast<const platform::input::KeyHookRecord*>(message.lparam);
  const ShownPage page = shown_page_ ? shown_page_() : ShownPage{};
  if (page.capture_key && record.scan_code <= 0xFF) {
    // False for a key the editor does not know; a failed store is shown by the page.
    (void)page.capture_key(static_cast<std::uint8_t>(record.scan_code), record.extended);
  }
  return 1;
}

bool MacroHookRoutes::OnClick(const QString& name) {
  if (Is(name, kStart)) {
    StartRecording(HookMode::kRecordAppend, kTimingByOption);
    return true;
  }
  if (Is(name, kStop)) {
    StopRecording();
    return true;
  }
  if (Is(name, kCaptureField)) {
    StartCapture();
    return true;
  }
  return false;
}

bool MacroHookRoutes::OnKillFocus(const QString& name) {
  if (!Is(name, kCaptureField)) return false;
  if (mode_ == HookMode::kSingleKey) StopHook();
  return true;
}

bool MacroHookRoutes::OnMenuItem(const QString& item) {
  for (const RecordItem& record : kRecordItems) {
    if (item == QLatin1String(record.item)) {
      StartRecording(record.mode, record.timing);
      return true;
    }
  }
  CMacroControlUI* panel = ShownMacros();
  if (panel != nullptr && panel->OnMenuItem(item)) return true;
  return false;
}

void MacroHookRoutes::OpenMenu(const QPoint& global_position) {
  if (menu_) menu_->close();
  if (!window_) return;
  auto* menu = new CMenuWnd(window_, QString::fromLatin1(kMenuSkin));
  QString error;
  if (!menu->Open(global_position, &error)) {
    platform::DebugOutput("macro action menu not opened: " + error.toStdString());
    delete menu;
    return;
  }
  menu_ = menu;
}

}  // namespace zt640
