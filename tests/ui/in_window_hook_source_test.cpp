#include "ui/in_window_hook_source.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "platform/input/device_hook.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "support/qt_app.h"

namespace {

namespace input = zt640::platform::input;

/// No input device can be read: the hook must fall back to the window.
class NoDevices final : public input::InputDeviceSource {
 public:
  std::vector<std::unique_ptr<input::InputDevice>> OpenAll(std::string* error) override {
    *error = "permission denied";
    return {};
  }
};

struct Received {
  std::uint64_t wparam;
  std::uint32_t scan_code;
};

QKeyEvent KeyEvent(QEvent::Type type, int linux_code, bool repeat = false) {
  return QKeyEvent(type, Qt::Key_A, Qt::NoModifier, static_cast<quint32>(linux_code + 8), 0, 0, QString("a"), repeat);
}

TEST(InWindowHookSource, WithoutInputDevices_TheWindowsKeysAndClicksAreRecorded_AndKeysSwallowed) {
  zt640::test::QtApp();
  input::CDeviceHook::SetInputDeviceSource(std::make_shared<NoDevices>());
  zt640::ui::InWindowHookSource source;
  QLineEdit edit;
  edit.show();

  zt640::platform::MessageQueue queue;
  const std::uint32_t keyboard_message = zt640::platform::RegisterWindowMessage("WM_HOOK_KEY_KBMACRO_MSG");
  const std::uint32_t mouse_message = zt640::platform::RegisterWindowMessage("WM_HOOK_KEY_MSMACRO_MSG");
  std::vector<Received> keys;
  std::vector<std::uint64_t> clicks;
  queue.SetHandler([&](const zt640::platform::WindowMessage& message) {
    if (message.message == keyboard_message) {
      keys.push_back({message.wparam, reinterpret_cast<const input::KeyHookRecord*>(message.lparam)->scan_code});
    }
    if (message.message == mouse_message) clicks.push_back(message.wparam);
    return std::int64_t{0};
  });

  input::CDeviceHook hook;
  ASSERT_EQ(hook.Start(input::HookMode::kRecordAppend, input::HookTarget{&queue}, true, true), 1);
  EXPECT_FALSE(input::CDeviceHook::IsSystemWide());

  QKeyEvent press = KeyEvent(QEvent::KeyPress, KEY_A);
  QKeyEvent repeat = KeyEvent(QEvent::KeyPress, KEY_A, true);
  QKeyEvent release = KeyEvent(QEvent::KeyRelease, KEY_A);
  QApplication::sendEvent(&edit, &press);
  QApplication::sendEvent(&edit, &repeat);
  QApplication::sendEvent(&edit, &release);
  QTest::mouseClick(&edit, Qt::LeftButton);
  QTest::mouseClick(&edit, Qt::BackButton);

  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].wparam, 0x0100u);
  EXPECT_EQ(keys[0].scan_code, 0x1Eu);
  EXPECT_EQ(keys[1].wparam, 0x0100u);  // auto-repeat is another press
  EXPECT_EQ(keys[2].wparam, 0x0101u);
  EXPECT_EQ(edit.text(), QString());  // the control never saw the key
  EXPECT_EQ(clicks, (std::vector<std::uint64_t>{0x0201, 0x0202, 0x020B, 0x020C}));

  hook.Stop();
  QKeyEvent after = KeyEvent(QEvent::KeyPress, KEY_A);
  QApplication::sendEvent(&edit, &after);
  EXPECT_EQ(keys.size(), 3u);
  EXPECT_EQ(edit.text(), QString("a"));
  input::CDeviceHook::SetInputDeviceSource(nullptr);
}

}  // namespace
