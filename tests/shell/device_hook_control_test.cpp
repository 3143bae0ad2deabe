#include "shell/device_hook_control.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <vector>

#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

namespace input = platform::input;

/// No input event node can be read, so the hook watches this program's windows.
class NoDevices final : public input::InputDeviceSource {
 public:
  std::vector<std::unique_ptr<input::InputDevice>> OpenAll(std::string* error) override {
    *error = "permission denied";
    return {};
  }
};

// The window follows a hook message's record pointer only while the hook is sending
// that very record; the same message forged by another sender is not vouched for.
TEST(DeviceHookControlTest, VouchesOnlyForTheRecordItIsSending) {
  test::QtApp();
  input::CDeviceHook::SetInputDeviceSource(std::make_shared<NoDevices>());
  platform::MessageQueue queue;
  std::vector<std::uint32_t> scan_codes;
  std::int64_t last_lparam = 0;
  {
    DeviceHookControl hook(queue);
    const std::uint32_t keyboard =
        platform::RegisterWindowMessage(input::KeyboardMessageName(input::HookMode::kRecordAppend));
    queue.SetHandler([&](const platform::WindowMessage& message) -> std::int64_t {
      if (message.message != keyboard || !hook.IsDelivering(message.lparam)) return 0;
      last_lparam = message.lparam;
      scan_codes.push_back(reinterpret_cast<const input::KeyHookRecord*>(message.lparam)->scan_code);
      return 1;
    });

    ASSERT_EQ(hook.Start(input::HookMode::kRecordAppend, true, true), 1);
    EXPECT_FALSE(hook.IsSystemWide());
    QLineEdit edit;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0, QStringLiteral("a"));
    QApplication::sendEvent(&edit, &press);
    EXPECT_EQ(scan_codes, std::vector<std::uint32_t>{0x1E});
    EXPECT_FALSE(hook.IsDelivering(last_lparam)) << "the record is gone once the send returned";

    input::KeyHookRecord forged{};
    platform::WindowMessage message;
    message.message = keyboard;
    message.wparam = input::kKeyDownMessage;
    message.lparam = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&forged));
    (void)queue.Send(message);
    EXPECT_EQ(scan_codes.size(), 1u);
    EXPECT_FALSE(hook.IsDelivering(0));
  }
  input::CDeviceHook::SetInputDeviceSource(nullptr);
}

}  // namespace
}  // namespace zt640
