#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "devsim/devsim_server.h"
#include "integration/simulator_files.h"
#include "transport/command_channel.h"
#include "transport/device_path.h"

namespace zt640::test {

/// Runs the simulated keyboard and receiver in-process under a temporary HID
/// root that the HID layer is pointed at for the test's lifetime.
class SimulatorTest : public ::testing::Test {
 protected:
  static constexpr uint16_t kKeyboardPid = 0x505B;
  static constexpr uint16_t kReceiverPid = 0x5089;

  void SetUp() override { StartSimulator({}); }

  void StartSimulator(const devsim::FaultSettings& fault, bool keyboard_powered = true) {
    char templ[] = "/tmp/zt640-it-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    devsim::DevsimConfig config;
    config.root = root_;
    config.with_receiver = true;
    config.keyboard_powered = keyboard_powered;
    config.fault = fault;
    server_ = std::make_unique<devsim::DevsimServer>(config);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    setenv("ZT640_HID_ROOT", root_.c_str(), 1);
  }

  void TearDown() override {
    channel_.reset();
    if (server_) server_->Stop();
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  /// The command interface (interface 1, collection 4) of a device, or "".
  std::string CommandInterfacePath(uint16_t product) { return SimulatedInterfacePath(product, 4); }

  /// A channel opened as a device object opens it: shared read/write access.
  CommandChannel& Connect(bool receiver) {
    channel_ = std::make_unique<CommandChannel>();
    const std::string path = CommandInterfacePath(receiver ? kReceiverPid : kKeyboardPid);
    EXPECT_FALSE(path.empty());
    HidDevice& hid = receiver ? channel_->receiver_interface() : channel_->wired_interface();
    EXPECT_EQ(hid.Open(path, true, true, true, false), HidDevice::kSuccess);
    channel_->SetConnectionType(receiver ? kConnectionReceiver : kConnectionWired);
    channel_->set_open(true);
    return *channel_;
  }

  std::string root_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::unique_ptr<CommandChannel> channel_;
};

}  // namespace zt640::test
