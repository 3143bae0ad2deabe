#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "devices/device_worker.h"
#include "platform/sync/event.h"
#include "support/wait_until.h"

namespace zt640 {
namespace {

TEST(DeviceWorker, RunsTasksInOrderOffTheCallersThread) {
  DeviceWorker worker("test worker");
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<bool> on_caller{false};
  const std::thread::id caller = std::this_thread::get_id();
  platform::Event last(platform::Event::Mode::kManualReset);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(worker.Post([&, i] {
      if (std::this_thread::get_id() == caller) on_caller = true;
      std::lock_guard lock(mutex);
      order.push_back(i);
      if (i == 4) last.Set();
    }));
  }
  ASSERT_TRUE(last.Wait(5000));
  std::lock_guard lock(mutex);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(on_caller.load());
}

TEST(DeviceWorker, StopWaitsForTheRunningTaskDropsTheQueuedOnesAndRefusesNewOnes) {
  DeviceWorker worker("test worker");
  platform::Event started(platform::Event::Mode::kManualReset);
  std::atomic<bool> release{false};
  std::atomic<bool> running_done{false};
  std::atomic<int> queued_ran{0};
  ASSERT_TRUE(worker.Post([&] {
    started.Set();
    // Stands for an exchange that ends once its interface is closed.
    while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    running_done = true;
  }));
  ASSERT_TRUE(worker.Post([&] { ++queued_ran; }));
  ASSERT_TRUE(started.Wait(5000));
  EXPECT_EQ(worker.Pending(), 2u);

  std::thread closer([&] {
    // Released only once Stop has begun, so Stop has to wait for the task.
    EXPECT_TRUE(test::WaitUntil([&] { return worker.Stopping(); }));
    release = true;
  });
  worker.Stop(std::chrono::milliseconds(10));
  closer.join();
  EXPECT_TRUE(running_done.load()) << "Stop returned while the task still used the device";
  EXPECT_EQ(queued_ran.load(), 0);
  EXPECT_FALSE(worker.Post([&] { ++queued_ran; }));
  EXPECT_EQ(worker.Pending(), 0u);
}

}  // namespace
}  // namespace zt640
