#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/sync/event.h"
#include "platform/sync/named_mutex.h"
#include "platform/sync/worker_slots.h"

namespace zt640::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(WorkerSlots_StopAll, JoinsWorkersThatPollTheirStopEvent) {
  WorkerSlots slots(20);
  for (std::size_t index : {0u, 1u, 8u}) {
    ASSERT_TRUE(slots.Start(index, "poller", [](const Event& stop) {
      while (!stop.Wait(1)) {
      }
    }));
  }
  const WorkerSlots::StopReport report = slots.StopAll(milliseconds(1000));
  EXPECT_EQ(report.joined, (std::vector<std::size_t>{0, 1, 8}));
  EXPECT_TRUE(report.detached.empty());
  EXPECT_FALSE(slots.Start(2, "late", [](const Event&) {}));
}

TEST(WorkerSlots_StopAll, DetachesAWorkerThatIgnoresItsStopEventAfterAboutASecond) {
  auto release = std::make_shared<Event>();
  WorkerSlots slots(20);
  ASSERT_TRUE(slots.Start(0, "stubborn", [release](const Event&) { (void)release->Wait(5000); }));
  const auto started = steady_clock::now();
  const WorkerSlots::StopReport report = slots.StopAll(milliseconds(1000));
  const auto took = steady_clock::now() - started;
  EXPECT_EQ(report.detached, (std::vector<std::size_t>{0}));
  EXPECT_GE(took, milliseconds(950));
  EXPECT_LT(took, milliseconds(1500));
  release->Set();
}

TEST(WorkerSlots_Start, RefusesABusySlotAndAnIndexOutOfRange) {
  WorkerSlots slots(2);
  ASSERT_TRUE(slots.Start(0, "a", [](const Event& stop) { (void)stop.Wait(-1); }));
  EXPECT_FALSE(slots.Start(0, "b", [](const Event&) {}));
  EXPECT_FALSE(slots.Start(2, "c", [](const Event&) {}));
  EXPECT_EQ(slots.StopEvent(2), nullptr);
  EXPECT_FALSE(slots.StopEvent(1)->IsSet());
}

TEST(Event_AutoReset, LetsOneWaiterThroughPerSet) {
  Event event(Event::Mode::kAutoReset);
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
}

class NamedMutexTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zt640-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }
  std::string folder_;
};

TEST_F(NamedMutexTest, SecondOwnerSeesAlreadyExistsUntilTheFirstCloses) {
  NamedMutex first;
  NamedMutex second;
  EXPECT_EQ(first.Create(folder_, "ZT640 有线RGB Keyboard"), NamedMutexResult::kCreated);
  EXPECT_EQ(second.Create(folder_, "ZT640 有线RGB Keyboard"), NamedMutexResult::kAlreadyExists);
  first.Close();
  EXPECT_EQ(second.Create(folder_, "ZT640 有线RGB Keyboard"), NamedMutexResult::kCreated);
}

TEST_F(NamedMutexTest, LockFileLeftByACrashedOwnerIsTakenOver) {
  const std::string path = NamedMutex::LockFilePath(folder_, "name");
  std::FILE* leftover = std::fopen(path.c_str(), "w");
  ASSERT_NE(leftover, nullptr);
  std::fclose(leftover);
  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(folder_, "name"), NamedMutexResult::kCreated);
}

TEST_F(NamedMutexTest, UnwritableFolderFails) {
  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(folder_ + "/missing", "name"), NamedMutexResult::kFailed);
}

}  // namespace
}  // namespace zt640::platform
