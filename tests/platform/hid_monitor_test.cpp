#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/hid/hidraw_monitor.h"
#include "platform/hid/pollable_event.h"

namespace zt640::platform {
namespace {

namespace fs = std::filesystem;

class HidrawMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-monitor-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  void MakeFolders() {
    fs::create_directories(root_ + "/sys/class/hidraw");
    fs::create_directories(root_ + "/dev");
  }

  std::string root_;
  PollableEvent wake_;
};

TEST_F(HidrawMonitorTest, RootWithoutItsFolders_HasNoSource) {
  fs::create_directories(root_ + "/dev");  // sys/class/hidraw is missing
  HidrawMonitor monitor(root_);
  EXPECT_EQ(monitor.source(), HidrawMonitor::Source::kNone);
  EXPECT_EQ(monitor.Wait(wake_, 0), HidrawMonitor::WaitResult::kFailed);
}

TEST_F(HidrawMonitorTest, NodesComingAndGoing_AreChanges) {
  MakeFolders();
  HidrawMonitor monitor(root_);
  ASSERT_EQ(monitor.source(), HidrawMonitor::Source::kInotify);
  EXPECT_EQ(monitor.Wait(wake_, 0), HidrawMonitor::WaitResult::kTimedOut);

  const std::string node = root_ + "/dev/hidraw3";
  const std::string link = root_ + "/sys/class/hidraw/hidraw3";
  struct Step {
    const char* name;
    std::function<void()> act;
  };
  const Step steps[] = {
      {"device node created", [&] { std::ofstream(node).put('x'); }},
      {"sysfs entry created", [&] { fs::create_directory_symlink("../../devices/x", link); }},
      {"sysfs entry removed", [&] { fs::remove(link); }},
      {"device node removed", [&] { fs::remove(node); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.act();
    EXPECT_EQ(monitor.Wait(wake_, 5000), HidrawMonitor::WaitResult::kChanged);
    // Every pending event was read: nothing is reported twice.
    EXPECT_EQ(monitor.Wait(wake_, 0), HidrawMonitor::WaitResult::kTimedOut);
  }
}

TEST_F(HidrawMonitorTest, WakeEvent_EndsTheWaitAndStaysSet) {
  MakeFolders();
  HidrawMonitor monitor(root_);
  wake_.Set();
  EXPECT_EQ(monitor.Wait(wake_, -1), HidrawMonitor::WaitResult::kWoken);
  EXPECT_TRUE(wake_.Reset());
  EXPECT_EQ(monitor.Wait(wake_, 0), HidrawMonitor::WaitResult::kTimedOut);
}

}  // namespace
}  // namespace zt640::platform
