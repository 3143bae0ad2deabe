#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/paths/product_title.h"
#include "support/simulator_process.h"
#include "transport/command_code.h"

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

  /// Packets with this command byte, from the `from`-th logged request on.
  std::vector<Packet> PacketsOf(zt640::CommandCode command, size_t from = 0) const {
    std::vector<Packet> found;
    const auto logged = simulator_.LoggedPackets();
    for (size_t i = from; i < logged.size(); ++i) {
      if (logged[i].size() == 64 && logged[i][3] == zt640::CommandByte(command)) found.push_back(logged[i]);
    }
    return found;
  }
  size_t LogSize() const { return simulator_.LoggedPackets().size(); }

  /// The key table as the 0x09 packets from the `from`-th request on wrote it.
  std::vector<uint8_t> WrittenTable(size_t from) const {
    std::vector<uint8_t> table;
    for (const Packet& packet : PacketsOf(zt640::CommandCode::kWriteKeyTable, from)) {
      const size_t offset = packet[5] | (packet[6] << 8);
      if (table.size() < offset + packet[4]) table.resize(offset + packet[4]);
      std::copy(packet.begin() + 8, packet.begin() + 8 + packet[4], table.begin() + static_cast<long>(offset));
    }
    return table;
  }

  std::string KeyboardFolder() const { return data_ + "/" + std::string(zt640::platform::kProductTitle) + "/keyboard/"; }

  /// A macro library of `count` macros of one key press each.
  void WriteMacroLibrary(int count) const {
    std::filesystem::create_directories(KeyboardFolder());
    std::string infos;
    for (int i = 0; i < count; ++i) {
      const std::string guid = "guid" + std::to_string(i);
      infos += std::string(i > 0 ? "," : "") + R"({"MacroName":"m)" + std::to_string(i) + R"(","Guid":")" + guid + R"("})";
      std::ofstream(KeyboardFolder() + guid + ".mac")
          << R"({"Events":[{"Action":"down","Type":2,"Button":4,"Delay":"10"}]})";
    }
    std::ofstream(KeyboardFolder() + "macro.config") << R"({"MacroInfo":[)" << infos << "]}";
  }

  SimulatorProcess simulator_;
  std::string data_;
};

TEST_F(CtlKeyboard, Light_WritesSettingsRecordOfSlotZeroAndKeepsItInTheProfile) {
  const Outcome light = Ctl("light --mode 5 --brightness 3 --colour ff8000");
  ASSERT_EQ(light.status, 0) << light.err;
  const auto writes = PacketsOf(zt640::CommandCode::kWriteSettings);
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
  for (const Packet& packet : PacketsOf(zt640::CommandCode::kWriteKeyTable)) {
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

TEST_F(CtlKeyboard, Assign_ThenMacrosInANewProcessWritesTheMacroArea) {
  WriteMacroLibrary(3);
  const Outcome assign = Ctl("assign 30 700200");
  ASSERT_EQ(assign.status, 0) << assign.err;
  const size_t before = LogSize();
  const Outcome macros = Ctl("macros");
  ASSERT_EQ(macros.status, 0) << macros.err;
  EXPECT_NE(macros.out.find("ok macros=1"), std::string::npos) << macros.out;
  const auto area = PacketsOf(zt640::CommandCode::kWriteMacroArea, before);
  ASSERT_FALSE(area.empty());
  // Signature, T = 16 + 6 + 4 = 26, one macro.
  EXPECT_EQ(Packet(area[0].begin() + 8, area[0].begin() + 14), (Packet{0xAA, 0x55, 26, 0, 1, 0}));
}

TEST_F(CtlKeyboard, Assign_ReassignedKeyIsWrittenAtItsPlaceInANewProcess) {
  // UI key 3 (F3, 20 00 3C) takes 20 00 04, which another key holds from the factory.
  ASSERT_EQ(Ctl("assign 3 200004").status, 0);
  const std::vector<uint8_t> first = WrittenTable(0);
  const size_t before = LogSize();
  const Outcome restore = Ctl("assign 3 20003c");
  ASSERT_EQ(restore.status, 0) << restore.err;
  const std::vector<uint8_t> second = WrittenTable(before);
  ASSERT_EQ(second.size(), first.size());
  std::vector<size_t> changed;
  for (size_t k = 0; k + 2 < first.size(); k += 3) {
    if (!std::equal(first.begin() + static_cast<long>(k), first.begin() + static_cast<long>(k) + 3,
                    second.begin() + static_cast<long>(k))) {
      changed.push_back(k);
    }
  }
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(Packet(first.begin() + static_cast<long>(changed[0]), first.begin() + static_cast<long>(changed[0]) + 3),
            (Packet{0x20, 0x00, 0x04}));
  EXPECT_EQ(Packet(second.begin() + static_cast<long>(changed[0]), second.begin() + static_cast<long>(changed[0]) + 3),
            (Packet{0x20, 0x00, 0x3C}));
}

TEST_F(CtlKeyboard, Assign_KeyWithoutAMatchOnTheKeyboardFails) {
  ASSERT_EQ(Ctl("assign 3 200004").status, 0);
  // Without the remembered match the reassigned key has no device key.
  std::filesystem::remove(KeyboardFolder() + "KeyMatch.json");
  const size_t before = LogSize();
  const Outcome restore = Ctl("assign 3 20003c");
  EXPECT_EQ(restore.status, 1);
  EXPECT_NE(restore.err.find("no key of the keyboard matches key 3"), std::string::npos) << restore.err;
  EXPECT_TRUE(restore.out.empty()) << restore.out;
  const std::vector<uint8_t> table = WrittenTable(before);
  for (size_t k = 0; k + 2 < table.size(); k += 3) {
    EXPECT_FALSE(table[k] == 0x20 && table[k + 1] == 0x00 && table[k + 2] == 0x3C) << "device key " << k / 3;
  }
}

TEST_F(CtlKeyboard, Reset_NeedsConfirmationBeforeAnythingIsSent) {
  const Outcome refused = Ctl("reset");
  EXPECT_NE(refused.status, 0);
  EXPECT_TRUE(PacketsOf(zt640::CommandCode::kResetToDefaults).empty());
  const Outcome reset = Ctl("reset --yes");
  ASSERT_EQ(reset.status, 0) << reset.err;
  ASSERT_EQ(PacketsOf(zt640::CommandCode::kResetToDefaults).size(), 1u);
}

}  // namespace
