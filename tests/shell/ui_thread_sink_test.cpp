#include <gtest/gtest.h>

#include <QCoreApplication>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sync/event.h"
#include "shell/main_window_fixture.h"
#include "shell/ui_thread_sink.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

/// Remembers the custom shown it was shown, in order, and on which thread.
class RecordingSink final : public DevicePanelSink {
 public:
  void ShowKeyLight(unsigned, const ZoneColour&) override {}
  void ShowKeyText(unsigned, const std::string&) override {}
  void ShowKeyEnabled(unsigned, bool) override {}
  void ShowFunctionSwitch(int32_t) override {}
  void ShowPower(const PowerRecord&) override {}
  void ShowLightState(const LightEffect&) override {}
  void ShowAudioLight(const AudioLightSetting&) override {}
  void ShowCustomSlot(int slot) override {
    shown.push_back(slot);
    off_ui_thread = off_ui_thread || std::this_thread::get_id() != ui_thread;
  }
  void ShowOptions(const KeyboardOptions&) override {}
  void PostToMainWindow(uint32_t, uintptr_t, intptr_t) override {}

  std::vector<int> shown;
  std::thread::id ui_thread = std::this_thread::get_id();
  bool off_ui_thread = false;
};

TEST(UiThreadSink, WorkerCallsWaitForTheDeviceAndKeepTheirOrderBeforeLaterUiCalls) {
  test::QtApp();
  RecordingSink target;
  std::recursive_timed_mutex device_lock;
  UiThreadSink sink(target, device_lock);
  platform::Event held(platform::Event::Mode::kManualReset);
  platform::Event release(platform::Event::Mode::kManualReset);
  std::thread worker([&] {
    std::lock_guard lock(device_lock);
    sink.ShowCustomSlot(1);
    sink.ShowCustomSlot(2);
    held.Set();
    (void)release.Wait(5000);
  });
  ASSERT_TRUE(held.Wait(5000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(target.shown.empty()) << "shown while the device was inside an operation";
  sink.ShowCustomSlot(3);
  EXPECT_TRUE(target.shown.empty()) << "a later call overtook the queued ones";

  release.Set();
  worker.join();
  ASSERT_TRUE(test::WaitFor([&] { return target.shown.size() == 3; }));
  EXPECT_EQ(target.shown, (std::vector<int>{1, 2, 3}));
  sink.ShowCustomSlot(4);
  EXPECT_EQ(target.shown.back(), 4);
  EXPECT_FALSE(target.off_ui_thread);
}

}  // namespace
}  // namespace zt640
