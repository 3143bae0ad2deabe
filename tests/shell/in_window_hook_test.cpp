#include "shell/in_window_hook.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <vector>

#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

namespace input = platform::input;

/// One hook message as the main window saw it, with the record read during the send.
struct Seen {
  std::uint32_t message;
  std::uint32_t id;
  std::uint32_t scan_code;
  std::uint16_t extra;
  friend bool operator==(const Seen&, const Seen&) = default;
};

TEST(InWindowHookTest, WindowKeysAndButtonsArriveAsTheMessagesOfTheMode) {
  test::QtApp();
  platform::MessageQueue queue;
  InWindowHook hook(queue);
  const std::uint32_t keyboard = platform::RegisterWindowMessage(input::KeyboardMessageName(input::HookMode::kRecordAppend));
  const std::uint32_t mouse = platform::RegisterWindowMessage(input::MouseMessageName(input::HookMode::kRecordAppend));
  std::vector<Seen> seen;
  queue.SetHandler([&](const platform::WindowMessage& message) -> std::int64_t {
    EXPECT_TRUE(hook.IsDelivering(message.lparam));
    if (message.message == keyboard) {
      const auto* record = reinterpret_cast<const input::KeyHookRecord*>(message.lparam);
      seen.push_back({message.message, static_cast<std::uint32_t>(message.wparam), record->scan_code, 0});
    } else {
      const auto* record = reinterpret_cast<const input::MouseHookRecord*>(message.lparam);
      seen.push_back({message.message, static_cast<std::uint32_t>(message.wparam), 0, record->mouse_data_high});
    }
    return 1;
  });
  QWidget window;
  auto* edit = new QLineEdit(&window);
  (new QVBoxLayout(&window))->addWidget(edit);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  edit->setFocus();

  EXPECT_FALSE(hook.IsSystemWide());
  ASSERT_EQ(hook.Start(input::HookMode::kRecordAppend, true, true), 1);
  QTest::keyClick(window.windowHandle(), Qt::Key_A);
  QTest::mouseClick(window.windowHandle(), Qt::BackButton, Qt::NoModifier, QPoint(5, 5));
  const std::vector<Seen> expected = {{keyboard, input::kKeyDownMessage, 0x1E, 0},
                                      {keyboard, input::kKeyUpMessage, 0x1E, 0},
                                      {mouse, input::kExtraButtonDown, 0, input::kExtraButtonBack},
                                      {mouse, input::kExtraButtonUp, 0, input::kExtraButtonBack}};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(edit->text().isEmpty()) << "keys are taken while the hook runs";
  EXPECT_FALSE(hook.IsDelivering(0));

  // The capture mode sends keyboard messages only; a stopped hook sends nothing.
  seen.clear();
  ASSERT_EQ(hook.Start(input::HookMode::kSingleKey, true, true), 1);
  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_TRUE(seen.empty());
  hook.Stop();
  QTest::keyClick(window.windowHandle(), Qt::Key_B);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(edit->text(), "b");
}

}  // namespace
}  // namespace zt640
