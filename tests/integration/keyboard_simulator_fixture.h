#pragma once

#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devsim/devsim_server.h"
#include "integration/simulator_files.h"
#include "profiles/global_utils.h"
#include "transport/command_code.h"
#include "transport/device_path.h"

namespace zt640::test {

/// The simulator in-process with a request log, a keyboard device object over
/// temporary data folders (a default profile holding the factory assignments)
/// and helpers to read back what the keyboard received.
class KeyboardSimulatorTest : public ::testing::Test {
 protected:
  static constexpr uint16_t kKeyboardPid = 0x505B;
  static constexpr uint16_t kReceiverPid = 0x5089;

  void SetUp() override {
    char templ[] = "/tmp/zt640-kb-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::filesystem::create_directories(root_ + "/DefaultData");
    folders_ = {root_ + "/DefaultData/", root_ + "/data/"};
    WriteDefaultProfile();
    devsim::DevsimConfig config;
    config.root = root_ + "/hid";
    config.with_receiver = true;
    config.log_file = root_ + "/requests.log";
    server_ = std::make_unique<devsim::DevsimServer>(config);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    setenv("ZT640_HID_ROOT", (root_ + "/hid").c_str(), 1);
    device_ = std::make_unique<CKalvexKeyboardDevice>(folders_, "keyboard");
    device_->SetProfileName("p1");
  }

  void TearDown() override {
    device_.reset();
    if (server_) {
      // A real keyboard refuses configuration writes outside 0x01/0x02; none may be sent.
      EXPECT_EQ(server_->Keyboard().WritesOutsideConfig(), 0u);
      server_->Stop();
    }
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  void WriteDefaultProfile() {
    Json::Value keys(Json::arrayValue);
    for (const KeyAssignment& value : KeyboardKeyMatcher::FactoryValues()) {
      Json::Value key;
      key["Assignment"] = value.Pack();
      key["DefaultAssignment"] = value.Pack();
      keys.append(key);
    }
    Json::Value section;
    section["KeyList"] = keys;
    section["LightInfo"]["SelectItem"] = 5;
    section["LightInfo"]["Light"] = 4;
    Json::Value document;
    document["Device"].append(section);
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folders_.defaults + "keyboard.Json", document));
  }

  /// A macro library of `count` macros; macro i has i % 3 events.
  void WriteMacroLibrary(int count) {
    test::WriteMacroLibrary(device_->GetDataFolder(), count, [](int i) {
      Json::Value events(Json::arrayValue);
      for (int e = 0; e < i % 3; ++e) {
        Json::Value event;
        event["Action"] = e % 2 == 0 ? "down" : "up";
        event["Type"] = 2;
        event["Button"] = 4 + i;
        event["Delay"] = std::to_string(10 * (e + 1));
        events.append(event);
      }
      return events;
    });
  }

  /// Path of interface 1 with the given collection of a device, or "".
  std::string InterfacePath(uint16_t product, int collection) { return SimulatedInterfacePath(product, collection); }

  void ConnectWired() { ASSERT_TRUE(device_->Connect(InterfacePath(kKeyboardPid, 4), false)); }

  /// Command bytes of every request logged so far.
  std::vector<std::vector<uint8_t>> LoggedPackets() {
    std::vector<std::vector<uint8_t>> packets;
    std::ifstream in(root_ + "/requests.log");
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream words(line);
      std::vector<uint8_t> packet;
      std::string word;
      while (words >> word) packet.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
      packets.push_back(packet);
    }
    return packets;
  }
  std::vector<CommandCode> LoggedCommands() {
    std::vector<CommandCode> commands;
    for (const auto& packet : LoggedPackets()) {
      if (packet.size() > 3) commands.push_back(static_cast<CommandCode>(packet[3]));
    }
    return commands;
  }
  size_t LogSize() { return LoggedPackets().size(); }

  std::string root_;
  ProfileFolders folders_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::unique_ptr<CKalvexKeyboardDevice> device_;
};

}  // namespace zt640::test
