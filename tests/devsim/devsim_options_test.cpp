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

TEST(ConsoleCommandTest, Parse_AcceptsCommands) {
  for (std::string_view line : {"unplug", "plug", "unplug receiver", "plug keyboard",
                                "power off", "power on", "sync", " reload ", "slot 15",
                                "key down 0", "key up 255", "battery 50", "battery 50 1",
                                "quit"}) {
    std::string error;
    EXPECT_TRUE(ConsoleCommand::Parse(line, &error)) << line << ": " << error;
  }
}

TEST(ConsoleCommandTest, Parse_RejectsMalformed) {
  for (std::string_view line : {"", "unplug mouse", "power", "power up", "slot", "slot 16",
                                "slot -1", "key down", "key press 3", "key down 256",
                                "battery", "battery 101", "battery 5 3", "sync now"}) {
    std::string error;
    EXPECT_FALSE(ConsoleCommand::Parse(line, &error)) << line;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace zt640::devsim
