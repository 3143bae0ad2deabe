#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <poll.h>

#include "input_fakes.h"
#include "platform/input/device_hook.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"

namespace {

using zt640::platform::MessageQueue;
using zt640::platform::RegisterWindowMessage;
using zt640::platform::WindowMessage;
using zt640::platform::input::ButtonInput;
using zt640::platform::input::CDeviceHook;
using zt640::platform::input::HookEventSink;
using zt640::platform::input::HookMode;
using zt640::platform::input::HookTarget;
using zt640::platform::input::KeyDisposition;
using zt640::platform::input::KeyHookRecord;
using zt640::platform::input::KeyInput;
using zt640::platform::input::MouseHookRecord;
using zt640::test::DeviceLog;
using zt640::test::EventPipe;
using zt640::test::FakeDeviceSource;
using zt640::test::FakeInjector;

struct Received {
  std::uint32_t message = 0;
  std::uint64_t wparam = 0;
  KeyHookRecord key;
  MouseHookRecord mouse;
};

/// A stand-in for the program's window: registers as the in-window source and feeds
/// whatever the test hands it.
class FakeWindowSource final : public zt640::platform::input::InWindowEventSource {
 public:
  void Attach(HookEventSink* sink, bool, bool) override { sink_ = sink; }
  void Detach() override { sink_ = nullptr; }
  HookEventSink* sink_ = nullptr;
};

class DeviceHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CDeviceHook::SetInputDeviceSource(source_);
    CDeviceHook::SetLockKeyInjectorFactory([log = log_] { return std::make_unique<FakeInjector>(log); });
    queue_.SetHandler([this](const WindowMessage& message) {
      Received got{message.message, message.wparam, {}, {}};
      if (message.message == keyboard_message_) got.key = *reinterpret_cast<const KeyHookRecord*>(message.lparam);
      if (message.message == mouse_message_) got.mouse = *reinterpret_cast<const MouseHookRecord*>(message.lparam);
      received_.push_back(got);
      return std::int64_t{0};
    });
  }
  void TearDown() override {
    CDeviceHook().Stop();
    CDeviceHook::SetInputDeviceSource(nullptr);
    CDeviceHook::SetLockKeyInjectorFactory(nullptr);
    CDeviceHook::SetInWindowSource(nullptr);
  }

  /// Runs the window's messages until `count` hook messages arrived.
  bool PumpUntil(size_t count) {
    while (received_.size() < count) {
      pollfd fd{queue_.WakeFd(), POLLIN, 0};
      if (::poll(&fd, 1, 10000) <= 0) return false;
      queue_.Dispatch();
    }
    return true;
  }

  std::shared_ptr<DeviceLog> log_ = std::make_shared<DeviceLog>();
  std::shared_ptr<FakeDeviceSource> source_ = std::make_shared<FakeDeviceSource>(log_);
  MessageQueue queue_;
  std::vector<Received> received_;
  const std::uint32_t keyboard_message_ = RegisterWindowMessage("WM_HOOK_KEY_KBMACRO_MSG");
  const std::uint32_t mouse_message_ = RegisterWindowMessage("WM_HOOK_KEY_MSMACRO_MSG");
};

TEST_F(DeviceHookTest, RecordingMode_SendsKeyAndMouseMessagesWithTheirRecords) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  EventPipe mouse = source_->Add("mouse", false, true);
  CDeviceHook hook;
  ASSERT_EQ(hook.Start(HookMode::kRecordAppend, HookTarget{&queue_}, true, true), 1);
  EXPECT_TRUE(CDeviceHook::IsSystemWide());
  EXPECT_EQ(CDeviceHook::CurrentMode(), HookMode::kRecordAppend);

  keyboard.Write(EV_KEY, KEY_A, 1);
  keyboard.Write(EV_KEY, KEY_RIGHTCTRL, 0);
  keyboard.Write(EV_KEY, KEY_F13, 1);  // not in the key table: not reported
  keyboard.Write(EV_KEY, KEY_SPACE, 1);
  ASSERT_TRUE(PumpUntil(3));
  mouse.Write(EV_KEY, BTN_EXTRA, 1);
  mouse.Write(EV_KEY, BTN_RIGHT, 0);
  ASSERT_TRUE(PumpUntil(5));

  EXPECT_EQ(received_[0].message, keyboard_message_);
  EXPECT_EQ(received_[0].wparam, 0x0100u);
  EXPECT_EQ(received_[0].key.scan_code, 0x1Eu);
  EXPECT_EQ(received_[0].key.virtual_key, 0x41u);
  EXPECT_FALSE(received_[0].key.extended);
  EXPECT_EQ(received_[1].wparam, 0x0101u);
  EXPECT_EQ(received_[1].key.scan_code, 0x1Du);
  EXPECT_TRUE(received_[1].key.extended);
  EXPECT_EQ(received_[2].key.scan_code, 0x39u);
  EXPECT_EQ(received_[3].message, mouse_message_);
  EXPECT_EQ(received_[3].wparam, 0x020Bu);
  EXPECT_EQ(received_[3].mouse.mouse_data_high, 2);  // forward
  EXPECT_EQ(received_[4].wparam, 0x0205u);
}

TEST_F(DeviceHookTest, StopWhileAnEventWaitsForTheWindow_FinishesAndReleasesTheKeyboard) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  CDeviceHook hook;
  ASSERT_EQ(hook.Start(HookMode::kRecordAppend, HookTarget{&queue_}, true, false), 1);
  keyboard.Write(EV_KEY, KEY_Q, 1);
  pollfd fd{queue_.WakeFd(), POLLIN, 0};
  ASSERT_EQ(::poll(&fd, 1, 10000), 1);  // the event thread now waits in its send
  hook.Stop();
  EXPECT_EQ(received_.size(), 1u);
  EXPECT_TRUE(log_->Has("ungrab kbd"));
  EXPECT_TRUE(log_->Has("close kbd"));
  EXPECT_FALSE(CDeviceHook::IsRunning());
}

TEST_F(DeviceHookTest, DestroyingAnyHookObject_StopsTheSharedHook) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  CDeviceHook starter;
  ASSERT_EQ(starter.Start(HookMode::kSingleKey, HookTarget{&queue_}, true, false), 1);
  { CDeviceHook other; }
  EXPECT_FALSE(CDeviceHook::IsRunning());
  EXPECT_TRUE(log_->Has("ungrab kbd"));
  EXPECT_TRUE(log_->Has("close kbd"));
}

TEST_F(DeviceHookTest, LockKeys_AreSentAndHandedBack) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  CDeviceHook hook;
  ASSERT_EQ(hook.Start(HookMode::kRecordAppend, HookTarget{&queue_}, true, false), 1);
  keyboard.Write(EV_KEY, KEY_CAPSLOCK, 1);
  keyboard.Write(EV_KEY, KEY_NUMLOCK, 1);
  keyboard.Write(EV_KEY, KEY_SCROLLLOCK, 1);
  keyboard.Write(EV_KEY, KEY_A, 1);
  ASSERT_TRUE(PumpUntil(4));
  EXPECT_EQ(received_[0].key.virtual_key, 20u);
  EXPECT_EQ(received_[1].key.virtual_key, 144u);
  EXPECT_EQ(received_[2].key.virtual_key, 145u);
  hook.Stop();
  for (int code : {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK}) {
    EXPECT_TRUE(log_->Has("inject " + std::to_string(code) + " 1")) << code;
  }
  EXPECT_FALSE(log_->Has("inject " + std::to_string(KEY_A) + " 1"));
}

TEST_F(DeviceHookTest, NoReadableDevice_FallsBackToTheWindow_OrFailsWithoutOne) {
  CDeviceHook hook;
  EXPECT_EQ(hook.Start(HookMode::kRecordAppend, HookTarget{&queue_}, true, true), 0);
  EXPECT_FALSE(CDeviceHook::LastError().empty());
  EXPECT_FALSE(CDeviceHook::IsRunning());

  FakeWindowSource window;
  CDeviceHook::SetInWindowSource(&window);
  ASSERT_EQ(hook.Start(HookMode::kRecordAppend, HookTarget{&queue_}, true, true), 1);
  EXPECT_FALSE(CDeviceHook::IsSystemWide());
  ASSERT_NE(window.sink_, nullptr);
  // The window's own thread owns the queue: the message is handled before OnKey returns.
  EXPECT_EQ(window.sink_->OnKey(KeyInput{KEY_ENTER, 1, 0}), KeyDisposition::kSwallow);
  window.sink_->OnButton(ButtonInput{BTN_LEFT, true, 10, 20, 0});
  ASSERT_EQ(received_.size(), 2u);
  EXPECT_EQ(received_[0].key.scan_code, 0x1Cu);
  EXPECT_EQ(received_[1].wparam, 0x0201u);
  EXPECT_EQ(received_[1].mouse.x, 10);
  hook.Stop();
  EXPECT_EQ(window.sink_, nullptr);
}

}  // namespace
