#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/paths/product_title.h"
#include "support/simulator_process.h"
#include "transport/command_code.h"

namespace {

using zt640::CommandCode;
using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::SimulatorProcess;

using Bytes = std::vector<uint8_t>;

/// zt640ctl mouse against the simulated mouse, found through the devices.json
/// the simulator writes into the user data root.
class CtlMouse : public ::testing::Test {
 protected:
  void SetUp() override { Start({"--mouse", "--mouse-receiver"}); }
  void TearDown() override { std::filesystem::remove_all(data_); }

  void Start(std::vector<std::string> options) {
    char templ[] = "/tmp/zt640-ctl-mouse-XXXXXX";
    data_ = mkdtemp(templ);
    std::filesystem::create_directories(DataRoot());
    options.insert(options.end(), {"--devices-json", DataRoot() + "devices.json"});
    simulator_ = std::make_unique<SimulatorProcess>(options);
    ASSERT_TRUE(simulator_->started());
  }

  std::string DataRoot() const { return data_ + "/" + std::string(zt640::platform::kProductTitle) + "/"; }

  Outcome Ctl(const std::string& words) const {
    return RunShell("XDG_DATA_HOME=" + data_ + " " + ZT640_CTL_PATH + " --root " + simulator_->root() + " mouse " +
                    words);
  }
  size_t LogSize() const { return simulator_->LoggedPackets().size(); }

  /// The area the `command` packets from the `from`-th request on wrote, by offset.
  Bytes Written(CommandCode command, size_t from = 0) const {
    Bytes area;
    const auto logged = simulator_->LoggedPackets();
    for (size_t i = from; i < logged.size(); ++i) {
      const Bytes& packet = logged[i];
      if (packet.size() != 64 || packet[3] != zt640::CommandByte(command)) continue;
      const size_t offset = packet[5] | (packet[6] << 8);
      if (area.size() < offset + packet[4]) area.resize(offset + packet[4]);
      std::copy(packet.begin() + 8, packet.begin() + 8 + packet[4], area.begin() + static_cast<long>(offset));
    }
    return area;
  }

  /// How often the 3 bytes `value` stand at a multiple of 3 in `table`.
  static int CountEntries(const Bytes& table, const Bytes& value) {
    int count = 0;
    for (size_t k = 0; k + 2 < table.size(); k += 3) {
      count += std::equal(value.begin(), value.end(), table.begin() + static_cast<long>(k));
    }
    return count;
  }

  std::string data_;
  std::unique_ptr<SimulatorProcess> simulator_;
};

/// One verb that ends in a settings record write, the line it prints and
/// bytes of the 66-byte record it wrote.
struct SettingsCase {
  const char* name;
  const char* words;
  const char* printed;
  std::vector<std::pair<size_t, uint8_t>> record;
};

class CtlMouseSettings : public CtlMouse, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(CtlMouseSettings, WritesTheRecordOfSlotZero) {
  const SettingsCase& c = GetParam();
  const size_t before = LogSize();
  const Outcome outcome = Ctl(c.words);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find(c.printed), std::string::npos) << outcome.out;
  const Bytes record = Written(CommandCode::kWriteSettings, before);
  ASSERT_EQ(record.size(), 66u);  // slot 0, the whole record
  EXPECT_EQ(record[59], 1);
  for (const auto& [offset, value] : c.record) EXPECT_EQ(record[offset], value) << "byte " << offset;
}

// The mouse has sensor 0x3325, step 100, base 200: level 48 shows 5000, level 50 shows 5400.
// Stage s's X level sits at 14 + 9s + 2 (low byte first).
INSTANTIATE_TEST_SUITE_P(
    Verbs, CtlMouseSettings,
    ::testing::Values(
        SettingsCase{"DpiShownByALevel", "dpi 1 5400", "ok stage=1 level=50 dpi=5400", {{25, 50}, {26, 0}}},
        SettingsCase{"DpiBetweenLevelsRoundsDown", "dpi 1 5450", "ok stage=1 level=50 dpi=5400", {{25, 50}}},
        SettingsCase{"DpiBelowTheKnee", "dpi 0 4000", "ok stage=0 level=38 dpi=4000", {{16, 38}}},
        SettingsCase{"DpiBelowTheBase", "dpi 4 100", "ok stage=4 level=0 dpi=200", {{52, 0}, {53, 0}}},
        SettingsCase{"Stage", "stage 3", "ok stage=3", {{12, 3}}},
        SettingsCase{"Rate", "rate 2", "ok rate=2", {{11, 2}}},
        // Mode 3 (static) has code 3; speed level 1 is written as 4 - 1.
        SettingsCase{"Light",
                     "light --mode 3 --brightness 2 --speed 1 --colour 123456",
                     "ok mode=3",
                     {{1, 3}, {2, 2}, {3, 3}, {6, 0x12}, {7, 0x34}, {8, 0x56}}}),
    [](const ::testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.name); });

TEST_F(CtlMouse, ShowPrintsStagesAndButtonsAndKeepsWhatWasWritten) {
  ASSERT_EQ(Ctl("dpi 2 5400").status, 0);
  const Outcome show = Ctl("show");
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.out.rfind("stage=", 0), 0u) << show.out;
  EXPECT_NE(show.out.find("\ndpi_stage=2 active=1 xy=0 x=5400 "), std::string::npos) << show.out;
  for (int j = 0; j < 11; ++j) {
    EXPECT_NE(show.out.find("\nbutton=" + std::to_string(j) + " device="), std::string::npos) << j;
  }
  // Button 0 is the left button from the factory: 10 01 00.
  EXPECT_NE(show.out.find(" value=100100\n"), std::string::npos) << show.out;
}

TEST_F(CtlMouse, AssignReplacesTheButtonsEntryInTheKeyTable) {
  // Button 3 (forward, 10 10 00) takes the right button's value 10 02 00.
  const Outcome assign = Ctl("assign 3 100200");
  ASSERT_EQ(assign.status, 0) << assign.err;
  EXPECT_NE(assign.out.find("ok button=3 value=100200"), std::string::npos);
  const Bytes table = Written(CommandCode::kWriteKeyTable);
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(CountEntries(table, {0x10, 0x10, 0x00}), 0);
  EXPECT_EQ(CountEntries(table, {0x10, 0x02, 0x00}), 2);
}

TEST_F(CtlMouse, AssignedMacroIsWrittenByMacros) {
  std::filesystem::create_directories(DataRoot() + "mouse");
  std::ofstream(DataRoot() + "mouse/macro.config")
      << R"({"MacroInfo":[{"MacroName":"m0","Guid":"g0"},{"MacroName":"m1","Guid":"g1"}]})";
  for (const char* guid : {"g0", "g1"}) {
    std::ofstream(DataRoot() + "mouse/" + guid + ".mac")
        << R"({"Events":[{"Action":"down","Type":2,"Button":4,"Delay":"10"}]})";
  }
  ASSERT_EQ(Ctl("assign 4 700100").status, 0);
  // Library macro 1 is the only one used: the table carries it as macro 0.
  EXPECT_EQ(CountEntries(Written(CommandCode::kWriteKeyTable), {0x70, 0x00, 0x00}), 1);
  const size_t before = LogSize();
  const Outcome macros = Ctl("macros");
  ASSERT_EQ(macros.status, 0) << macros.err;
  EXPECT_NE(macros.out.find("ok macros=1"), std::string::npos);
  // Marker, total 16 + 6 + 4 = 26, one entry.
  const Bytes area = Written(CommandCode::kWriteMacroArea, before);
  ASSERT_GE(area.size(), 6u);
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 6), (Bytes{0xAA, 0x55, 26, 0, 1, 0}));
}

TEST_F(CtlMouse, ShootWriteSendsFourGuns) {
  const Outcome shoot = Ctl("shoot-write");
  ASSERT_EQ(shoot.status, 0) << shoot.err;
  EXPECT_NE(shoot.out.find("ok shoot"), std::string::npos);
  const Bytes area = Written(CommandCode::kWriteShootData);
  ASSERT_GE(area.size(), 6u);
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 2), (Bytes{0xAA, 0x55}));
  EXPECT_EQ(area[4] | area[5] << 8, 4);
}

TEST_F(CtlMouse, MalformedVerbsSendNothing) {
  for (const char* words : {"dpi 5 400", "dpi 1", "stage 5", "rate 5", "assign 11 100200", "assign 3 1002",
                            "light --mode 10", "light --brightness 2", "bogus"}) {
    const Outcome outcome = Ctl(words);
    EXPECT_EQ(outcome.status, 2) << words;
  }
  EXPECT_TRUE(Written(CommandCode::kWriteSettings).empty());
  EXPECT_TRUE(Written(CommandCode::kWriteKeyTable).empty());
}

TEST_F(CtlMouse, MouseSwitchedOffBehindItsReceiverIsReported) {
  TearDown();
  Start({"--mouse-receiver", "--mouse-off"});
  const Outcome show = Ctl("show");
  EXPECT_EQ(show.status, 1);
  EXPECT_NE(show.err.find("switched off"), std::string::npos) << show.err;
}

}  // namespace
