#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "integration/simulator_fixture.h"
#include "platform/hid/pollable_event.h"
#include "platform/sync/event.h"
#include "profiles/devices_json.h"
#include "shell/discovery_thread.h"
#include "support/wait_until.h"

namespace zt640::test {
namespace {

/// Records what the discovery loop tells the main window.
struct Recorder {
  std::mutex mutex;
  std::vector<std::size_t> added;
  std::vector<std::size_t> removed;
  int first_passes = 0;

  DiscoveryThread::Sink Sink() {
    return {[this](std::size_t slot) {
              std::lock_guard lock(mutex);
              added.push_back(slot);
            },
            [this](std::size_t slot) {
              std::lock_guard lock(mutex);
              removed.push_back(slot);
            },
            [this] {
              std::lock_guard lock(mutex);
              ++first_passes;
            }};
  }
};

/// The keyboard receiver's ids given to rows 2 and 3, as a user would in devices.json.
InterfaceCatalogue CatalogueWithReceiver() {
  InterfaceCatalogue catalogue;
  const DevicesJson::Result applied = DevicesJson::ApplyText(
      R"({"Interfaces":[{"Row":2,"VendorId":"0x320F","ProductId":"0x5089"},
                        {"Row":3,"VendorId":12815,"ProductId":"0x5089"}]})",
      catalogue);
  EXPECT_EQ(applied.rows_applied, 2u);
  return catalogue;
}

using DiscoverySimulatorTest = SimulatorTest;

TEST_F(DiscoverySimulatorTest, BuiltInTable_ClaimsOnlyTheKeyboardCable) {
  SlotTable slots{InterfaceCatalogue()};
  Recorder recorder;
  DiscoveryThread discovery(slots, recorder.Sink());
  ASSERT_TRUE(discovery.RunPass());
  std::vector<std::size_t> sorted = recorder.added;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(recorder.first_passes, 1);
  EXPECT_NE(slots.Slot(0)->path.find("pid_505b"), std::string::npos);
  // The receiver (rows 2 and 3 keep id 0) is not claimed.
  EXPECT_TRUE(slots.Slot(2)->IsFree());

  // A second pass claims nothing again and posts no second activation.
  ASSERT_TRUE(discovery.RunPass());
  EXPECT_EQ(recorder.added.size(), 2u);
  EXPECT_EQ(recorder.first_passes, 1);
}

TEST_F(DiscoverySimulatorTest, UnplugAndReplug_FreesAndReclaimsBothSlots) {
  SlotTable slots{InterfaceCatalogue()};
  Recorder recorder;
  DiscoveryThread discovery(slots, recorder.Sink());
  ASSERT_TRUE(discovery.RunPass());
  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(discovery.RunPass());
  EXPECT_EQ(recorder.removed, (std::vector<std::size_t>{0, 1}));
  EXPECT_TRUE(slots.Slot(0)->IsFree());
  EXPECT_TRUE(slots.Slot(1)->IsFree());

  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(discovery.RunPass());
  EXPECT_EQ(recorder.added.size(), 4u);
  EXPECT_EQ(slots.Slot(0)->in_use, 1);
}

TEST_F(DiscoverySimulatorTest, PresenceCheck_DoesNotDisturbAnOpenChannel) {
  SlotTable slots{InterfaceCatalogue()};
  Recorder recorder;
  DiscoveryThread discovery(slots, recorder.Sink());
  ASSERT_TRUE(discovery.RunPass());
  CommandChannel& channel = Connect(false);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(discovery.RunPass());
  EXPECT_TRUE(recorder.removed.empty());
  EXPECT_TRUE(channel.wired_interface().IsOpen());
  EXPECT_EQ(channel.wired_interface().DevicePath(), slots.Slot(0)->path);
}

TEST_F(DiscoverySimulatorTest, DevicesJson_ReceiverRowsFoundAsPartnersOfTheCable) {
  SlotTable slots{CatalogueWithReceiver()};
  Recorder recorder;
  DiscoveryThread discovery(slots, recorder.Sink());
  ASSERT_TRUE(discovery.RunPass());
  std::vector<std::size_t> sorted = recorder.added;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_TRUE(slots.PartnerActive(0));
  EXPECT_TRUE(slots.PartnerActive(2));
  // Both connections identify the same device: the cable's command record.
  EXPECT_TRUE(SlotKeysEqual(*slots.IdentityRecord(2), *slots.Slot(0)));
  EXPECT_TRUE(SlotKeysEqual(*slots.IdentityRecord(3), *slots.Slot(0)));

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(discovery.RunPass());
  EXPECT_FALSE(slots.PartnerActive(2));
  EXPECT_EQ(slots.Slot(2)->in_use, 1);
}

TEST_F(DiscoverySimulatorTest, Run_NoticesPlugWithinTwoPeriodsAndStops) {
  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  SlotTable slots{InterfaceCatalogue()};
  Recorder recorder;
  platform::Event stop(platform::Event::Mode::kManualReset);
  std::thread loop([&] { DiscoveryThread(slots, recorder.Sink()).Run(stop); });
  // The plug must come after the first pass, so only a later pass can notice it.
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    return recorder.first_passes == 1;
  }));
  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    return recorder.added.size() >= 2;
  }, std::chrono::seconds(3)));
  stop.Set();
  loop.join();
  std::lock_guard lock(recorder.mutex);
  EXPECT_EQ(recorder.added.size(), 2u);
  EXPECT_EQ(recorder.first_passes, 1);
}

/// Runs the discovery loop on its own thread for the life of the object.
class RunningDiscovery {
 public:
  RunningDiscovery(SlotTable& slots, Recorder& recorder, std::optional<std::string> watched_root = std::nullopt)
      : discovery_(slots, recorder.Sink()) {
    if (watched_root) discovery_.SetWatchedRoot(*watched_root);
    loop_ = std::thread([this] { discovery_.Run(stop_, wake_); });
  }
  ~RunningDiscovery() {
    stop_.Set();
    loop_.join();
  }
  RunningDiscovery(const RunningDiscovery&) = delete;
  RunningDiscovery& operator=(const RunningDiscovery&) = delete;

  [[nodiscard]] std::optional<DiscoveryThread::Trigger> Trigger() const { return discovery_.CurrentTrigger(); }
  void Wake() { wake_->Set(); }

 private:
  DiscoveryThread discovery_;
  platform::Event stop_{platform::Event::Mode::kManualReset};
  std::shared_ptr<platform::PollableEvent> wake_ = std::make_shared<platform::PollableEvent>();
  std::thread loop_;
};

bool WaitForCounts(Recorder& recorder, std::size_t added, std::size_t removed) {
  return WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    return recorder.added.size() == added && recorder.removed.size() == removed;
  });
}

/// A pass runs when the simulator's nodes come and go, seen by inotify, or on the
/// 100 ms timer when its folders cannot be watched; either way plug and unplug
/// reach the window.
TEST_F(DiscoverySimulatorTest, Run_PlugAndUnplugReachTheWindowByEventsOrTimer) {
  struct Case {
    const char* name;
    bool watchable;
    DiscoveryThread::Trigger expected;
  };
  for (const Case& c : {Case{"inotify", true, DiscoveryThread::Trigger::kEvents},
                        Case{"timer", false, DiscoveryThread::Trigger::kTimer}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
    SlotTable slots{InterfaceCatalogue()};
    Recorder recorder;
    RunningDiscovery running(slots, recorder,
                             c.watchable ? std::nullopt : std::optional<std::string>(root_ + "/no-such-root"));
    ASSERT_TRUE(WaitUntil([&] {
      std::lock_guard lock(recorder.mutex);
      return recorder.first_passes == 1;
    }));
    EXPECT_EQ(running.Trigger(), c.expected);
    ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
    EXPECT_TRUE(WaitForCounts(recorder, 2, 0));
    ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
    EXPECT_TRUE(WaitForCounts(recorder, 2, 2));
    EXPECT_TRUE(slots.Slot(0)->IsFree());
    ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
    EXPECT_TRUE(WaitForCounts(recorder, 4, 2));
  }
}

/// With events and nothing changing, no pass runs until the wake event asks for
/// one (as after a resume, when events may have been missed).
TEST_F(DiscoverySimulatorTest, Run_OnEvents_WakeAsksForAPass) {
  // The loop watches a quiet folder, so the simulator's plug raises no event there.
  const std::string quiet = root_ + "/quiet";
  std::filesystem::create_directories(quiet + "/sys/class/hidraw");
  std::filesystem::create_directories(quiet + "/dev");
  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  SlotTable slots{InterfaceCatalogue()};
  Recorder recorder;
  RunningDiscovery running(slots, recorder, quiet);
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard lock(recorder.mutex);
    return recorder.first_passes == 1;
  }));
  ASSERT_EQ(running.Trigger(), DiscoveryThread::Trigger::kEvents);
  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  running.Wake();
  EXPECT_TRUE(WaitForCounts(recorder, 2, 0));
}

}  // namespace
}  // namespace zt640::test
