#include "devsim/devsim_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "devsim/console_command.h"

namespace zt640::devsim {
namespace {

DevsimOptions::Result Parse(std::vector<std::string_view> args) {
  return DevsimOptions::Parse(args);
}

TEST(DevsimOptionsTest, Parse_EveryOption) {
  const auto result = Parse({"--root", "/tmp/r", "--receiver", "--log", "/tmp/l", "--vid",
                             "0x1234", "--pid", "22", "--version", "0x0200", "--receiver-vid",
                             "0", "--receiver-pid", "0", "--keyboard-off", "--no-cable",
                             "--battery", "40", "--charge", "2", "--fault", "late:250",
                             "--fault-command", "0x05", "--fault-count", "3",
                             "--unplug-after", "7"});
  ASSERT_TRUE(result.config) << result.error;
  const DevsimConfig& c = *result.config;
  EXPECT_EQ(c.root, "/tmp/r");
  EXPECT_TRUE(c.with_receiver);
  EXPECT_EQ(c.log_file, "/tmp/l");
  EXPECT_EQ(c.keyboard.vendor, 0x1234);
  EXPECT_EQ(c.keyboard.product, 22);
  EXPECT_EQ(c.keyboard.version, 0x0200);
  EXPECT_EQ(c.receiver.vendor, 0);
  EXPECT_EQ(c.receiver.product, 0);
  EXPECT_FALSE(c.keyboard_powered);
  EXPECT_FALSE(c.keyboard_plugged);
  EXPECT_EQ(c.battery_percent, 40);
  EXPECT_EQ(c.charge_state, 2);
  EXPECT_EQ(c.fault.kind, FaultKind::kLate);
  EXPECT_EQ(c.fault.late_ms, 250u);
  EXPECT_EQ(c.fault.command, 0x05);
  EXPECT_EQ(c.fault.count, 3u);
  EXPECT_EQ(c.fault.unplug_after, 7u);
}

TEST(DevsimOptionsTest, Parse_Defaults) {
  const auto result = Parse({"--root", "r"});
  ASSERT_TRUE(result.config);
  EXPECT_EQ(result.config->keyboard.vendor, 0x320F);
  EXPECT_EQ(result.config->keyboard.product, 0x505B);
  EXPECT_EQ(result.config->keyboard.version, 0x0103);
  EXPECT_EQ(result.config->fault.kind, FaultKind::kNone);
  EXPECT_FALSE(result.config->with_receiver);
}

TEST(DevsimOptionsTest, Parse_FaultKinds) {
  EXPECT_EQ(Parse({"--root", "r", "--fault", "silent"}).config->fault.kind, FaultKind::kSilent);
  EXPECT_EQ(Parse({"--root", "r", "--fault", "wrong-echo"}).config->fault.kind,
            FaultKind::kWrongEcho);
  EXPECT_EQ(Parse({"--root", "r", "--fault", "status:fe"}).config->fault.status, 0xFE);
  EXPECT_EQ(Parse({"--root", "r", "--fault", "status:ff"}).config->fault.status, 0xFF);
}

TEST(DevsimOptionsTest, Parse_Rejects) {
  for (const std::vector<std::string_view>& args : std::vector<std::vector<std::string_view>>{
           {},
           {"--root"},
           {"--root", "r", "--vid", "0x10000"},
           {"--root", "r", "--vid", "12x"},
           {"--root", "r", "--battery", "101"},
           {"--root", "r", "--fault", "late:"},
           {"--root", "r", "--fault", "late:-5"},
           {"--root", "r", "--fault", "status:00"},
           {"--root", "r", "--fault-command", "0x100"},
           {"--root", "r", "--unplug-after", "0"},
           {"--root", "r", "--frobnicate"},
       }) {
    EXPECT_FALSE(Parse(args).config) << (args.empty() ? "" : args.back());
  }
}

TEST(DevsimOptionsTest, Parse_DeviceSelection) {
  struct Case {
    std::vector<std::string_view> args;
    bool keyboard;
    bool keyboard_receiver;
    bool mouse_device;  ///< the mouse is simulated (cable device exists)
    bool mouse_plugged;
    bool mouse_receiver;
  };
  const std::vector<Case> cases = {
      {{}, true, false, false, false, false},
      {{"--receiver"}, true, true, false, false, false},
      {{"--mouse"}, false, false, true, true, false},
      {{"--mouse-receiver"}, false, false, true, false, true},
      {{"--mouse", "--mouse-receiver"}, false, false, true, true, true},
      {{"--keyboard", "--mouse"}, true, false, true, true, false},
      {{"--receiver", "--mouse-receiver"}, true, true, true, false, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string_view> args = {"--root", "r"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = Parse(args);
    ASSERT_TRUE(result.config) << result.error;
    const DevsimConfig& config = *result.config;
    const std::string line = c.args.empty() ? "(none)" : std::string(c.args.back());
    EXPECT_EQ(config.with_keyboard, c.keyboard) << line;
    EXPECT_EQ(config.with_keyboard && config.with_receiver, c.keyboard_receiver) << line;
    EXPECT_EQ(config.with_mouse || config.with_mouse_receiver, c.mouse_device) << line;
    EXPECT_EQ(config.mouse_plugged, c.mouse_plugged) << line;
    EXPECT_EQ(config.with_mouse_receiver, c.mouse_receiver) << line;
  }
}

TEST(DevsimOptionsTest, Parse_MouseOptions) {
  const auto result = Parse({"--root", "r", "--mouse", "--mouse-off", "--mouse-no-dpi-cycle",
                             "--mouse-vid", "0x1111", "--mouse-pid", "0x2222",
                             "--mouse-version", "0x0300", "--mouse-receiver-vid", "0x3333",
                             "--mouse-receiver-pid", "0x4444", "--mouse-receiver-version", "5",
                             "--devices-json", "/tmp/d.json"});
  ASSERT_TRUE(result.config) << result.error;
  const DevsimConfig& c = *result.config;
  EXPECT_FALSE(c.mouse_powered);
  EXPECT_EQ(c.mouse_variant, MouseVariant::kNoDpiCycle);
  EXPECT_EQ(c.mouse.vendor, 0x1111);
  EXPECT_EQ(c.mouse.product, 0x2222);
  EXPECT_EQ(c.mouse.version, 0x0300);
  EXPECT_EQ(c.mouse_receiver.vendor, 0x3333);
  EXPECT_EQ(c.mouse_receiver.product, 0x4444);
  EXPECT_EQ(c.mouse_receiver.version, 5);
  EXPECT_EQ(c.devices_json, "/tmp/d.json");
  EXPECT_FALSE(Parse({"--root", "r", "--devices-json"}).config);
  EXPECT_FALSE(Parse({"--root", "r", "--mouse-pid", "0x10000"}).config);
  // The default ids are distinct from the keyboard's and from each other.
  const auto defaults = Parse({"--root", "r", "--mouse-receiver"}).config;
  ASSERT_TRUE(defaults);
  EXPECT_NE(defaults->mouse.product, defaults->keyboard.product);
  EXPECT_NE(defaults->mouse.product, defaults->receiver.product);
  EXPECT_NE(defaults->mouse.product, defaults->mouse_receiver.product);
}

TEST(ConsoleCommandTest, Parse_AcceptsCommands) {
  for (std::string_view line : {"unplug", "plug", "unplug receiver", "plug keyboard",
                                "power off", "power on", "sync", " reload ", "slot 15",
                                "key down 0", "key up 255", "battery 50", "battery 50 1",
                                "quit", "plug mouse", "unplug mouse-receiver", "power off mouse",
                                "power on keyboard", "mouse sync", "mouse react", "mouse slot 7",
                                "mouse stage 4", "mouse report 0x1125", "mouse report 1026",
                                "mouse battery 20", "mouse battery 20 1", "plug pad", "unplug headset",
                                "pad sync", "headset sync", "headset report 0x0402"}) {
    std::string error;
    EXPECT_TRUE(ConsoleCommand::Parse(line, &error)) << line << ": " << error;
  }
}

TEST(ConsoleCommandTest, Parse_RejectsMalformed) {
  for (std::string_view line : {"", "unplug hub", "power", "power up", "power on receiver",
                                "slot", "slot 16",
                                "slot -1", "key down", "key press 3", "key down 256",
                                "battery", "battery 101", "battery 5 3", "sync now", "mouse",
                                "mouse stage", "mouse stage 16", "mouse slot 16",
                                "mouse report 0x10000", "mouse report", "mouse sync now",
                                "mouse battery 101", "mouse battery 5 3", "mouse wave", "pad",
                                "headset react", "pad report", "headset report 0x10000"}) {
    std::string error;
    EXPECT_FALSE(ConsoleCommand::Parse(line, &error)) << line;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace zt640::devsim
