#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/simulator_process.h"

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::SimulatorProcess;

using Packet = std::vector<uint8_t>;

/// zt640ctl against the simulator with its own user data folder.
class CtlKeyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(simulator_.started());
    char templ[] = "/tmp/zt640-ctl-data-XXXXXX";
    data_ = mkdtemp(templ);
  }
  void TearDown() override { std::filesystem::remove_all(data_); }

  Outcome Ctl(const std::string& words) {
    return RunShell("XDG_DATA_HOME=" + data_ + " " + ZT640_CTL_PATH + " --root " +
                    simulator_.root() + " keyboard " + words);
  }

  std::vector<Packet> PacketsOf(uint8_t command) const {
    std::vector<Packet> found;
    for (const Packet& packet : simulator_.LoggedPackets()) {
      if (packet.size() == 64 && packet[3] == command) found.push_back(packet);
    }
    return found;
  }

  SimulatorProcess simulator_;
  std::string data_;
};

TEST_F(CtlKeyboard, Light_WritesSettingsRecordOfSlotZeroAndKeepsItInTheProfile) {
  const Outcome light = Ctl("light --mode 5 --brightness 3 --colour ff8000");
  ASSERT_EQ(light.status, 0) << light.err;
  const auto writes = PacketsOf(0x06);
  ASSERT_EQ(writes.size(), 1u);
  const Packet& record = writes[0];
  EXPECT_EQ(record[4], 29);                   // one whole record
  EXPECT_EQ(record[5] | (record[6] << 8), 0);  // slot 0
  EXPECT_EQ(record[8 + 0], 0);                // slot number
  EXPECT_EQ(record[8 + 1], 5);                // mode code of mode 5
  EXPECT_EQ(record[8 + 2], 3);                // brightness
  EXPECT_EQ(record[8 + 6], 0xFF);
  EXPECT_EQ(record[8 + 7], 0x80);
  EXPECT_EQ(record[8 + 8], 0x00);
  const auto commands = simulator_.LoggedCommands();
  ASSERT_GE(commands.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(commands.end() - 3, commands.end()),
            (std::vector<std::string>{"01", "06", "02"}));

  const Outcome show = Ctl("show");
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("brightness=3"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("colour=ff8000"), std::string::npos) << show.out;
}

TEST_F(CtlKeyboard, Assign_ReplacesTheKeysEntryInTheDeviceKeyTable) {
  // UI key 30 holds 20 00 26 from the factory; 20 00 04 is another key's value.
  const Outcome assign = Ctl("assign 30 200004");
  ASSERT_EQ(assign.status, 0) << assign.err;
  std::vector<uint8_t> table(512, 0);
  size_t length = 0;
  for (const Packet& packet : PacketsOf(0x09)) {
    const size_t offset = packet[5] | (packet[6] << 8);
    for (size_t i = 0; i < packet[4] && offset + i < table.size(); ++i) {
      table[offset + i] = packet[8 + i];
    }
    length = std::max(length, offset + packet[4]);
  }
  ASSERT_GT(length, 0u);
  ASSERT_EQ(length % 3, 0u);
  int old_value = 0, new_value = 0;
  for (size_t k = 0; k + 2 < length; k += 3) {
    old_value += table[k] == 0x20 && table[k + 1] == 0x00 && table[k + 2] == 0x26;
    new_value += table[k] == 0x20 && table[k + 1] == 0x00 && table[k + 2] == 0x04;
  }
  EXPECT_EQ(old_value, 0);
  EXPECT_EQ(new_value, 2);
}

TEST_F(CtlKeyboard, Reset_NeedsConfirmationBeforeAnythingIsSent) {
  const Outcome refused = Ctl("reset");
  EXPECT_NE(refused.status, 0);
  EXPECT_TRUE(PacketsOf(0x0D).empty());
  const Outcome reset = Ctl("reset --yes");
  ASSERT_EQ(reset.status, 0) << reset.err;
  ASSERT_EQ(PacketsOf(0x0D).size(), 1u);
}

}  // namespace
