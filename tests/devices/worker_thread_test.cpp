#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "devices/worker_thread.h"
#include "support/wait_until.h"

namespace zt640 {
namespace {

TEST(WorkerThread_Stop, EndsWithinWait) {
  WorkerThread worker;
  auto passes = std::make_shared<std::atomic<int>>(0);
  worker.Start("test", [passes](const platform::Event& stop) {
    while (!stop.Wait(1)) ++*passes;
  });
  EXPECT_TRUE(test::WaitUntil([&] { return passes->load() > 0; }));
  EXPECT_EQ(worker.Stop(std::chrono::milliseconds(1000)), WorkerThread::StopOutcome::kEnded);
  EXPECT_GT(passes->load(), 0);
  EXPECT_EQ(worker.Stop(std::chrono::milliseconds(10)), WorkerThread::StopOutcome::kNotRunning);
}

TEST(WorkerThread_Stop, StuckThreadIsDetachedAndFinishesSafely) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto finished = std::make_shared<std::atomic<bool>>(false);
  {
    WorkerThread worker;
    worker.Start("stuck", [release, finished](const platform::Event&) {
      while (!release->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      finished->store(true);
    });
    EXPECT_EQ(worker.Stop(std::chrono::milliseconds(20)), WorkerThread::StopOutcome::kTimedOut);
    EXPECT_FALSE(worker.Running());
  }
  release->store(true);
  EXPECT_TRUE(test::WaitUntil([&] { return finished->load(); })) << "the detached thread did not finish";
}

}  // namespace
}  // namespace zt640
