#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <string_view>

#include "editors/hook_control.h"
#include "platform/input/device_hook.h"
#include "platform/input/hook_records.h"
#include "platform/ipc/registered_messages.h"
#include "pages/device_key_button_ui.h"
#include "pages/keyboard/keyboard_page.h"
#include "shell/macro_hook_routes.h"
#include "shell/main_window_fixture.h"
#include "shell/menu_wnd.h"

namespace zt640 {
namespace {

namespace input = platform::input;
using input::HookMode;
using test::WaitFor;

/// What the fake hook was asked to do, kept by the test (the window owns the hook).
struct HookLog {
  int start_result = 1;
  bool system_wide = true;
  HookMode mode = HookMode::kNone;
  bool keyboard = false;
  bool mouse = false;
  bool running = false;
  int starts = 0;
  const void* delivering = nullptr;  ///< the record being sent
};

class FakeHook : public HookControl {
 public:
  explicit FakeHook(HookLog& log) : log_(log) {}
  int Start(HookMode mode, bool keyboard, bool mouse) override {
    ++log_.starts;
    log_.running = false;
    if (log_.start_result != 1) return 0;
    log_ = HookLog{log_.start_result, log_.system_wide, mode, keyboard, mouse, true, log_.starts, nullptr};
    return 1;
  }
  void Stop() override {
    log_.running = false;
    log_.mode = HookMode::kNone;
  }
  [[nodiscard]] bool IsSystemWide() const override { return log_.system_wide; }
  [[nodiscard]] bool IsDelivering(std::int64_t lparam) const override {
    return log_.delivering != nullptr && lparam == reinterpret_cast<std::int64_t>(log_.delivering);
  }

 private:
  HookLog& log_;
};

class MacroRecordingWindowTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override { config.with_receiver = false; }

  /// Opens the window on the simulated keyboard, its messages kept by the test, and
  /// waits until the keyboard's first synchronisation is over.
  void OpenSynchronised() {
    Open(InterfaceCatalogue());
    ASSERT_TRUE(ConnectNow());
    ui::PanelPrompts prompts;
    prompts.message = [this](const QString& text, int) {
      messages_.push_back(text);
      return 1;
    };
    window_->SetPrompts(prompts);
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry() != nullptr && KeyboardEntry()->IsEntryVisible(); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Keyboard()->Channel().is_open() && Page() != nullptr; }));
    WaitForFirstSynchronisation();
  }

  void OpenWithHook() {
    OpenSynchronised();
    window_->SetHookControl(std::make_unique<FakeHook>(hook_));
    ASSERT_NE(Panel(), nullptr);
  }

  /// The keyboard's first synchronisation runs on its worker; a page action made
  /// meanwhile waits for it, so the tests start once it is over.
  void WaitForFirstSynchronisation() {
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
    ASSERT_TRUE(Settle());
  }

  KeyboardPage* Page() { return window_->SelectedKeyboardPage(); }
  CMacroControlUI* Panel() { return Page()->Macros(); }
  template <typename T = QWidget>
  T* Control(const char* name) {
    return Page()->Widget()->findChild<T*>(QLatin1String(name));
  }
  /// A page action waits while a device worker holds the keyboard: each one here is
  /// followed by waiting until it has run.
  void Click(const char* name) {
    Control<QAbstractButton>(name)->click();
    EXPECT_TRUE(Settle());
  }
  void Notify(const ui::Notification& notification) {
    window_->Notify(notification);
    EXPECT_TRUE(Settle());
  }

  /// The hook sends a key event of its current mode, as it does: synchronously, with
  /// the record vouched for while the send runs.
  std::int64_t SendKey(std::uint32_t scan, bool press, bool extended = false) {
    input::KeyHookRecord record;
    record.scan_code = scan;
    record.extended = extended;
    return Deliver(input::KeyboardMessageName(hook_.mode), press ? input::kKeyDownMessage : input::kKeyUpMessage,
                   &record);
  }
  std::int64_t SendMouse(std::uint32_t id) {
    input::MouseHookRecord record{.x = -5000, .y = -5000};
    return Deliver(input::MouseMessageName(hook_.mode), id, &record);
  }
  std::int64_t Deliver(std::string_view name, std::uint32_t id, const void* record) {
    platform::WindowMessage message;
    message.message = platform::RegisterWindowMessage(name);
    message.wparam = id;
    message.lparam = reinterpret_cast<std::int64_t>(record);
    hook_.delivering = record;
    const std::int64_t result = window_->HandleMessage(message);
    hook_.delivering = nullptr;
    return result;
  }
  void MenuItem(const char* item) {
    platform::WindowMessage chosen;
    chosen.message = CMenuWnd::kMenuItemChosenMessage;
    const std::string_view name(item);
    chosen.copy_data.assign(name.begin(), name.end());
    (void)window_->HandleMessage(chosen);
    EXPECT_TRUE(Settle());
  }
  [[nodiscard]] Json::Value SavedEvents() {
    MacroLibrary& library = Panel()->Library();
    const std::string guid = library.Entries()[static_cast<size_t>(library.GetSelectedMacro())].guid;
    return CGlobalUtils::ParseJsonFile(library.MacroFilePath(guid))["Events"];
  }

  HookLog hook_;
  std::vector<QString> messages_;
};

TEST_F(MacroRecordingWindowTest, RecordButtonsDriveTheHookAndTheStopSavesWhatWasRecorded) {
  OpenWithHook();
  Click("macro_btn_name_add");
  ASSERT_GE(Panel()->Library().GetSelectedMacro(), 0);
  Click("macro_btn_starredio");
  EXPECT_TRUE(Panel()->IsRecording());
  EXPECT_TRUE(hook_.running);
  EXPECT_EQ(hook_.mode, HookMode::kRecordAppend);
  EXPECT_TRUE(hook_.keyboard && hook_.mouse);

  EXPECT_EQ(SendKey(0x1E, true), 1);
  EXPECT_EQ(SendKey(0x1E, true), 1);  // auto-repeat, not recorded
  EXPECT_EQ(SendKey(0x1E, false), 1);
  EXPECT_EQ(SendMouse(input::kRightButtonDown), 1);
  // A message under a hook message's name that the hook did not send is not followed.
  input::KeyHookRecord forged{.scan_code = 0x30};
  platform::WindowMessage message;
  message.message = platform::RegisterWindowMessage(input::KeyboardMessageName(HookMode::kRecordAppend));
  message.wparam = input::kKeyDownMessage;
  message.lparam = reinterpret_cast<std::int64_t>(&forged);
  EXPECT_EQ(window_->HandleMessage(message), 0);
  EXPECT_EQ(Control<QTableWidget>("macro_action")->rowCount(), 3);
  EXPECT_EQ(SavedEvents().size(), 0u);

  Click("macro_btn_stopredio");
  EXPECT_FALSE(Panel()->IsRecording());
  EXPECT_FALSE(hook_.running);
  const Json::Value saved = SavedEvents();
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[0]["Button"], 4);
  EXPECT_EQ(saved[2]["Type"], 1);
  EXPECT_EQ(saved[2]["Button"], 2);
  // After the stop, events no longer reach the list.
  EXPECT_EQ(SendKey(0x30, true), 0);
  EXPECT_TRUE(messages_.empty());

  // Hiding the window ends a recording and saves it.
  Click("macro_btn_starredio");
  ASSERT_TRUE(hook_.running);
  SendKey(0x30, true);
  window_->show();
  window_->hide();
  EXPECT_FALSE(hook_.running);
  EXPECT_FALSE(Panel()->IsRecording());
  EXPECT_EQ(SavedEvents().size(), 4u);
}

TEST_F(MacroRecordingWindowTest, MenuItemsRecordAroundTheSelectionAndInsertMouseButtons) {
  OpenWithHook();
  Click("macro_btn_name_add");
  MenuItem("left_click");
  MenuItem("back_down");
  ASSERT_EQ(SavedEvents().size(), 3u);
  EXPECT_EQ(SavedEvents()[1]["Action"], "up");
  EXPECT_EQ(SavedEvents()[2]["Button"], 8);
  EXPECT_EQ(SavedEvents()[2]["Delay"], "50");

  // The event list's context menu offers every item by its name.
  auto* list = Control<QTableWidget>("macro_action");
  emit list->customContextMenuRequested(QPoint(5, 5));
  CMenuWnd* menu = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* candidate = qobject_cast<CMenuWnd*>(top); candidate != nullptr && candidate->isVisible()) menu = candidate;
  }
  ASSERT_NE(menu, nullptr);
  for (const char* item : {"redio_previous_record_time", "redio_later_ignore_time", "macro_action_edit", "middle_up",
                           "forward_click", "back_click"}) {
    EXPECT_NE(menu->findChild<QAbstractButton*>(QLatin1String(item)), nullptr) << item;
  }
  const QPointer<CMenuWnd> closing(menu);
  menu->close();
  // A closed menu deletes itself on the next turn of the event loop.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(closing.isNull());

  Panel()->SelectEvent(0);
  Control<QLineEdit>("macro_fixed_time_edit")->setText("80");
  MenuItem("redio_later_constant_time");
  EXPECT_EQ(hook_.mode, HookMode::kRecordAfter);
  EXPECT_TRUE(Panel()->IsRecording());
  SendKey(0x30, true);  // B, right after the left press
  // Message 1054 with wParam 0 ends the recording too, and saves it.
  platform::WindowMessage stop;
  stop.message = MacroHookRoutes::kHookControlMessage;
  EXPECT_EQ(window_->HandleMessage(stop), 1);
  EXPECT_FALSE(hook_.running);
  EXPECT_FALSE(Panel()->IsRecording());
  const Json::Value saved = SavedEvents();
  ASSERT_EQ(saved.size(), 4u);
  EXPECT_EQ(saved[1]["Button"], 5);
  EXPECT_EQ(saved[1]["Delay"], "80");

  const struct {
    const char* item;
    HookMode mode;
  } items[] = {{"redio_previous_ignore_time", HookMode::kRecordBefore}, {"macro_action_edit", HookMode::kChangeSelected}};
  for (const auto& item : items) {
    MenuItem(item.item);
    EXPECT_EQ(hook_.mode, item.mode) << item.item;
    Click("macro_btn_stopredio");
  }
}

TEST_F(MacroRecordingWindowTest, HookThatSeesOnlyThisWindowIsSaidOnceAndAFailedStartLeavesNoRecording) {
  hook_.system_wide = false;
  OpenWithHook();
  Click("macro_btn_name_add");
  for (int i = 0; i < 2; ++i) {
    Click("macro_btn_starredio");
    EXPECT_TRUE(Panel()->IsRecording());
    Click("macro_btn_stopredio");
  }
  EXPECT_EQ(messages_, (std::vector<QString>{"macro_in_window_record_text"}));

  hook_.start_result = 0;
  Click("macro_btn_starredio");
  EXPECT_FALSE(Panel()->IsRecording());
  EXPECT_TRUE(Control("macro_name_tab")->isEnabled());
}

TEST_F(MacroRecordingWindowTest, CaptureFieldTakesKeysFromTheHookOrItselfWithoutOne) {
  OpenWithHook();
  Click("key_Op_tab");
  Control<CDeviceKeyButtonUI>("key_30")->click();
  ASSERT_TRUE(Settle());
  ASSERT_EQ(Page()->Device().SelectedKey(), 30);
  auto* field = Control<QLineEdit>("keyset_keyboard_text_edit");
  ASSERT_NE(field, nullptr);
  const ui::Notification click{QStringLiteral("click"), field, QStringLiteral("keyset_keyboard_text_edit")};
  Notify(click);
  EXPECT_EQ(hook_.mode, HookMode::kSingleKey);
  EXPECT_TRUE(hook_.keyboard);
  EXPECT_FALSE(hook_.mouse) << "the mouse stays free to leave the field";
  EXPECT_FALSE(Page()->KeySet()->OwnKeyCapture());

  SendKey(0x38, true, true);  // right Alt
  ASSERT_TRUE(Settle());       // the captured key is written on the keyboard's worker
  EXPECT_EQ(Page()->KeySet()->LastEntry().current.assignment, (KeyAssignment{0x20, 0x40, 0}));
  EXPECT_EQ(Page()->Device().Assignments()[30].current.assignment, (KeyAssignment{0x20, 0x40, 0}));
  Notify(ui::Notification{QStringLiteral("killfocus"), field, QStringLiteral("keyset_keyboard_text_edit")});
  EXPECT_FALSE(hook_.running);

  // Without a hook the field captures the keys typed into it.
  hook_.start_result = 0;
  Notify(click);
  EXPECT_TRUE(Page()->KeySet()->OwnKeyCapture());
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Period, Qt::KeypadModifier);
  QCoreApplication::sendEvent(field, &press);
  EXPECT_EQ(Page()->KeySet()->LastEntry().current.assignment.param2, 0x63);  // the keypad's decimal key
}

/// No input event node can be read: the window's own hook falls back to the window.
class NoInputDevices final : public input::InputDeviceSource {
 public:
  std::vector<std::unique_ptr<input::InputDevice>> OpenAll(std::string* error) override {
    *error = "permission denied";
    return {};
  }
};

// The window's own hook, end to end: the device hook started by the record button
// sends the window's key events under the names the main window listens to, and the
// panel records them.
TEST_F(MacroRecordingWindowTest, TheWindowsOwnHookRecordsKeysTypedIntoTheWindow) {
  input::CDeviceHook::SetInputDeviceSource(std::make_shared<NoInputDevices>());
  OpenSynchronised();
  Click("macro_btn_name_add");
  ASSERT_GE(Panel()->Library().GetSelectedMacro(), 0);

  Click("macro_btn_starredio");
  ASSERT_TRUE(Panel()->IsRecording());
  EXPECT_FALSE(input::CDeviceHook::IsSystemWide());
  EXPECT_EQ(messages_.size(), 1u) << "the panel says once that only this window's keys are seen";
  QWidget* target = Control<QTableWidget>("macro_action");
  for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, Qt::Key_B, Qt::NoModifier, KEY_B + 8, 0, 0, QStringLiteral("b"));
    QApplication::sendEvent(target, &key);
  }
  Click("macro_btn_stopredio");
  EXPECT_FALSE(input::CDeviceHook::IsRunning());
  const Json::Value saved = SavedEvents();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0]["Type"], 10);
  EXPECT_EQ(saved[0]["Button"], 5);  // the usage of B
  EXPECT_EQ(saved[0]["Action"], "down");
  EXPECT_EQ(saved[1]["Action"], "up");
  input::CDeviceHook::SetInputDeviceSource(nullptr);
}

}  // namespace
}  // namespace zt640
