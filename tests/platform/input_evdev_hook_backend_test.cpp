#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <stdexcept>

#include "input_fakes.h"
#include "platform/input/evdev_hook_backend.h"

namespace {

using zt640::platform::input::ButtonInput;
using zt640::platform::input::EvdevHookBackend;
using zt640::platform::input::KeyDisposition;
using zt640::platform::input::KeyInput;
using zt640::test::DeviceLog;
using zt640::test::EventPipe;
using zt640::test::FakeDeviceSource;
using zt640::test::FakeInjector;

/// Collects what the back end reports; Caps Lock is passed on, as the hook does.
class RecordingSink final : public zt640::platform::input::HookEventSink {
 public:
  explicit RecordingSink(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}
  KeyDisposition OnKey(const KeyInput& key) override {
    if (fail_) throw std::runtime_error("handler failed");
    keys.push_back(key);
    log_->Add("key " + std::to_string(key.code) + " " + std::to_string(key.value));
    return key.code == KEY_CAPSLOCK ? KeyDisposition::kPassOn : KeyDisposition::kSwallow;
  }
  void OnButton(const ButtonInput& button) override {
    buttons.push_back(button);
    log_->Add("button " + std::to_string(button.code) + " " + std::to_string(button.press));
  }
  void FailFromNowOn() { fail_ = true; }

  std::vector<KeyInput> keys;  // read after the log says they arrived
  std::vector<ButtonInput> buttons;

 private:
  std::shared_ptr<DeviceLog> log_;
  std::atomic<bool> fail_{false};
};

class EvdevHookBackendTest : public ::testing::Test {
 protected:
  std::shared_ptr<DeviceLog> log_ = std::make_shared<DeviceLog>();
  std::shared_ptr<FakeDeviceSource> source_ = std::make_shared<FakeDeviceSource>(log_);
  RecordingSink sink_{log_};
  std::unique_ptr<EvdevHookBackend> backend_ = std::make_unique<EvdevHookBackend>(
      source_, [log = log_] { return std::make_unique<FakeInjector>(log); });
};

TEST_F(EvdevHookBackendTest, KeysAndButtons_ReachTheSink_KeyboardGrabbedMouseOnlyWatched) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  EventPipe mouse = source_->Add("mouse", false, true);
  std::string error;
  ASSERT_TRUE(backend_->Begin(&sink_, true, true, &error)) << error;
  EXPECT_TRUE(log_->Has("grab kbd"));
  EXPECT_FALSE(log_->Has("grab mouse"));

  keyboard.Write(EV_KEY, KEY_A, 1, 1000000);
  keyboard.Write(EV_SYN, SYN_REPORT, 0, 1000000);
  keyboard.Write(EV_KEY, KEY_A, 2, 1250000);  // auto-repeat
  keyboard.Write(EV_KEY, KEY_A, 0, 1300000);
  ASSERT_TRUE(log_->WaitFor("key 30 0"));
  mouse.Write(EV_REL, REL_X, 5);
  mouse.Write(EV_KEY, BTN_SIDE, 1);
  mouse.Write(EV_KEY, BTN_SIDE, 0);
  ASSERT_TRUE(log_->WaitFor("button " + std::to_string(BTN_SIDE) + " 0"));

  ASSERT_EQ(sink_.keys.size(), 3u);
  EXPECT_EQ(sink_.keys[0].value, 1);
  EXPECT_EQ(sink_.keys[1].value, 2);
  EXPECT_EQ(sink_.keys[2].value, 0);
  EXPECT_EQ(sink_.keys[1].time_ms - sink_.keys[0].time_ms, 250u);  // intervals of the recording kept
  ASSERT_EQ(sink_.buttons.size(), 2u);
  EXPECT_TRUE(sink_.buttons[0].press);
  EXPECT_EQ(sink_.buttons[0].x, zt640::platform::input::kUnknownCursorPosition);
  EXPECT_EQ(sink_.buttons[0].y, zt640::platform::input::kUnknownCursorPosition);
  EXPECT_FALSE(sink_.buttons[1].press);
}

TEST_F(EvdevHookBackendTest, LockKeys_AreHandedBackToTheSystemAndStillReported) {
  EventPipe keyboard = source_->Add("kbd", true, false);
  ASSERT_TRUE(backend_->Begin(&sink_, true, false, nullptr));
  keyboard.Write(EV_KEY, KEY_CAPSLOCK, 1);
  keyboard.Write(EV_KEY, KEY_CAPSLOCK, 0);
  keyboard.Write(EV_KEY, KEY_B, 1);
  ASSERT_TRUE(log_->WaitFor("key 48 1"));
  EXPECT_TRUE(log_->Has("key 58 1"));
  EXPECT_TRUE(log_->Has("inject 58 1"));
  EXPECT_TRUE(log_->Has("inject 58 0"));
  EXPECT_FALSE(log_->Has("inject 48 1"));
}

TEST_F(EvdevHookBackendTest, Begin_FailsWithoutAWantedDevice_AndClosesTheOthersUngrabbed) {
  { EventPipe mouse = source_->Add("mouse", false, true); }
  std::string error;
  EXPECT_FALSE(backend_->Begin(&sink_, true, false, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(log_->Entries(), std::vector<std::string>{"close mouse"});
}

/// Every way a recording ends gives every keyboard back.
enum class EndPath { kEnd, kDestroyed, kReaderFails };

class EvdevHookBackendRelease : public EvdevHookBackendTest, public ::testing::WithParamInterface<EndPath> {};

TEST_P(EvdevHookBackendRelease, EveryGrabIsReleasedAndEveryDeviceClosed) {
  EventPipe first = source_->Add("kbd1", true, false);
  EventPipe second = source_->Add("kbd2", true, true);
  ASSERT_TRUE(backend_->Begin(&sink_, true, true, nullptr));
  switch (GetParam()) {
    case EndPath::kEnd: backend_->End({}); break;
    case EndPath::kDestroyed: backend_.reset(); break;
    case EndPath::kReaderFails:
      sink_.FailFromNowOn();
      first.Write(EV_KEY, KEY_A, 1);
      break;
  }
  for (const char* name : {"kbd1", "kbd2"}) {
    ASSERT_TRUE(log_->WaitFor(std::string("close ") + name)) << name;
    EXPECT_TRUE(log_->Has(std::string("ungrab ") + name)) << name;
  }
  if (backend_) {
    EXPECT_EQ(backend_->OpenDeviceCount(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, EvdevHookBackendRelease,
                         ::testing::Values(EndPath::kEnd, EndPath::kDestroyed, EndPath::kReaderFails));

TEST_F(EvdevHookBackendTest, VanishingDevice_IsDroppedAndReleased_OthersGoOn) {
  EventPipe first = source_->Add("kbd1", true, false);
  EventPipe second = source_->Add("kbd2", true, false);
  ASSERT_TRUE(backend_->Begin(&sink_, true, false, nullptr));
  first.Close();
  ASSERT_TRUE(log_->WaitFor("close kbd1"));
  EXPECT_TRUE(log_->Has("ungrab kbd1"));
  EXPECT_FALSE(log_->Has("ungrab kbd2"));
  second.Write(EV_KEY, KEY_Z, 1);
  ASSERT_TRUE(log_->WaitFor("key 44 1"));
  EXPECT_EQ(backend_->OpenDeviceCount(), 1u);
  second.Close();
  ASSERT_TRUE(log_->WaitFor("close kbd2"));
  EXPECT_TRUE(log_->Has("ungrab kbd2"));
}

}  // namespace
