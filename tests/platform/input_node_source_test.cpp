#include "platform/input/input_node_source.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using zt640::platform::input::InputNodeSource;
using zt640::platform::input::InputReadStatus;

class InputNodeSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-input-XXXXXX";
    root_ = mkdtemp(templ);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::string root_;
};

TEST_F(InputNodeSourceTest, MissingFolderOrNodesThatAreNoInputDevices_GiveNoDeviceAndAReason) {
  std::string error;
  EXPECT_TRUE(InputNodeSource(root_).OpenAll(&error).empty());
  EXPECT_NE(error.find("dev/input"), std::string::npos) << error;

  std::filesystem::create_directories(root_ + "/dev/input");
  std::filesystem::create_symlink("/dev/null", root_ + "/dev/input/event3");  // a character device, not evdev
  std::ofstream(root_ + "/dev/input/mouse0") << "ignored: not an event node";
  error.clear();
  EXPECT_TRUE(InputNodeSource(root_).OpenAll(&error).empty());
  EXPECT_NE(error.find("event3"), std::string::npos) << error;
}

TEST_F(InputNodeSourceTest, RecordedStream_IsReadAsAKeyboardAndMouse_UntilItEnds) {
  std::filesystem::create_directories(root_ + "/dev/input");
  input_event event{};
  event.type = EV_KEY;
  event.code = KEY_A;
  event.value = 1;
  std::ofstream(root_ + "/dev/input/event0", std::ios::binary).write(reinterpret_cast<const char*>(&event), sizeof event);
  std::string error;
  auto devices = InputNodeSource(root_).OpenAll(&error);
  ASSERT_EQ(devices.size(), 1u) << error;
  EXPECT_TRUE(devices[0]->IsKeyboard());
  EXPECT_TRUE(devices[0]->IsMouse());
  input_event read{};
  std::uint32_t time_ms = 0;
  ASSERT_EQ(devices[0]->Read(&read, &time_ms), InputReadStatus::kEvent);
  EXPECT_EQ(read.code, KEY_A);
  EXPECT_EQ(devices[0]->Read(&read, &time_ms), InputReadStatus::kGone);
}

}  // namespace
