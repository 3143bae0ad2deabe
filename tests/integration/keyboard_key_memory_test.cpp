// Key matching across connects and the key table read's command sequence,
// against the simulated keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "devices/key_match_file.h"
#include "devsim/keyboard_factory_image.h"
#include "keyboard_simulator_fixture.h"

namespace zt640::test {
namespace {

using devsim::KeyboardArea;
using devsim::KeyboardFactoryImage;
using Value = std::vector<uint8_t>;
using enum CommandCode;

class KeyboardKeyMemoryTest : public KeyboardSimulatorTest {
 protected:
  /// A new device object on the same data folders, connected and read as on
  /// a connect (the previous object is gone, as after a restart).
  void Reconnect() {
    device_->Disconnect();
    device_ = std::make_unique<CKalvexKeyboardDevice>(folders_, "keyboard");
    device_->SetProfileName("p1");
    ConnectWired();
    ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
    device_->LoadProfileState();
  }

  Value TableEntry(size_t device_key) {
    const auto table = server_->Keyboard().Area(KeyboardArea::kKeyTable);
    return {table[3 * device_key], table[3 * device_key + 1], table[3 * device_key + 2]};
  }

  /// Device key of UI key `ui_key` in the simulator's own layout.
  static size_t SimulatedDeviceKey(int ui_key) {
    for (size_t k = 0; k < KeyboardFactoryImage::kKeyCount; ++k) {
      if (KeyboardFactoryImage::PanelKeyOfDeviceKey(k) == ui_key) return k;
    }
    return 255;
  }

  /// Connects, reassigns UI key 3 to UI key 64's factory value 20 00 04 and
  /// UI key 30 to macro 2, and writes macros and keys.
  void ReassignKeys() {
    WriteMacroLibrary(3);
    ConnectWired();
    ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
    device_->LoadProfileState();
    // UI key 3 comes first in device order, so 20 00 04 is found there first.
    ASSERT_LT(SimulatedDeviceKey(3), SimulatedDeviceKey(64));
    device_->SetAssignment(3, {0x20, 0x00, 0x04});
    device_->SetAssignment(30, {0x70, 0x02, 0x00});
    ASSERT_TRUE(device_->SaveProfileData());
    ASSERT_EQ(device_->WriteMacros(device_->GetMacroUsage()).outcome, MacroWriteResult::Outcome::kWritten);
    ASSERT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
    ASSERT_EQ(TableEntry(SimulatedDeviceKey(3)), (Value{0x20, 0x00, 0x04}));
    // Macro 2 is the only one in use: on the keyboard it is macro 0.
    ASSERT_EQ(TableEntry(SimulatedDeviceKey(30)), (Value{0x70, 0x00, 0x00}));
    ASSERT_TRUE(server_->Keyboard().WriteArea(KeyboardArea::kMacros, 0, std::vector<uint8_t>(64, 0)));
  }
};

TEST_F(KeyboardKeyMemoryTest, ReassignedKeysKeepTheirDeviceKeysInANewDeviceObject) {
  ReassignKeys();
  Reconnect();
  EXPECT_EQ(device_->DeviceKeyMap()[3], SimulatedDeviceKey(3));
  EXPECT_EQ(device_->DeviceKeyMap()[30], SimulatedDeviceKey(30));
  EXPECT_EQ(device_->DeviceKeyMap()[64], SimulatedDeviceKey(64));
  EXPECT_EQ(device_->MatchedKeyCount(), 126);

  // The macro key still counts: macro 2 (2 events) is downloaded alone.
  EXPECT_EQ(device_->GetMacroUsage(), (std::vector<int>{2}));
  ASSERT_EQ(device_->WriteMacros(device_->GetMacroUsage()).outcome, MacroWriteResult::Outcome::kWritten);
  const auto area = server_->Keyboard().Area(KeyboardArea::kMacros);
  // T = 16 + 6 * 1 + 4 * 2 = 30; one macro.
  EXPECT_EQ(Value(area.begin(), area.begin() + 6), (Value{0xAA, 0x55, 30, 0, 1, 0}));

  // Both keys change again and land where they were.
  device_->SetAssignment(3, {0x20, 0x00, 0x3C});
  device_->SetAssignment(30, {0x20, 0x00, 0x05});
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  EXPECT_EQ(TableEntry(SimulatedDeviceKey(3)), (Value{0x20, 0x00, 0x3C}));
  EXPECT_EQ(TableEntry(SimulatedDeviceKey(30)), (Value{0x20, 0x00, 0x05}));
  EXPECT_EQ(TableEntry(SimulatedDeviceKey(64)), (Value{0x20, 0x00, 0x04}));
}

TEST_F(KeyboardKeyMemoryTest, WithoutARememberedMatchAChangedKeyIsReportedLeftOut) {
  ReassignKeys();
  const std::string memory = device_->GetDataFolder() + KeyMatchFile::kFileName;
  std::ofstream(memory, std::ios::trunc) << "{\"Models\": [";  // damaged: read as nothing remembered
  Reconnect();
  EXPECT_FALSE(device_->HasDeviceKey(3));
  EXPECT_FALSE(device_->HasDeviceKey(30));
  EXPECT_TRUE(device_->GetMacroUsage().empty());

  device_->SetAssignment(3, {0x20, 0x00, 0x06});
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CKalvexKeyboardDevice::kKeysLeftOut);
  EXPECT_EQ(device_->KeysLeftOut(), (std::vector<int>{3, 30}));
  EXPECT_EQ(LoggedCommands().back(), kEndConfig);
  EXPECT_EQ(TableEntry(SimulatedDeviceKey(3)), (Value{0x20, 0x00, 0x04}));
  // The damaged file was kept aside when the new match was remembered.
  std::ifstream kept(memory + ".bak");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "{\"Models\": [");
}

struct ReadFaultCase {
  const char* name;
  CommandCode refused_command;
  bool read_before;  ///< a complete read came first, so a record is at hand
  int expected_result;
  std::vector<CommandCode> expected_commands;
  int matched_keys;
};

std::vector<CommandCode> FullReadCommands() {
  // 0x01, 0x03 (34 bytes: 1 packet), 0x07 (396 bytes: 8 packets), 0x1B (132: 3), 0x02.
  std::vector<CommandCode> commands = {kBeginConfig, kReadDeviceInfo};
  std::fill_n(std::back_inserter(commands), 8, kReadKeyTable);
  std::fill_n(std::back_inserter(commands), 3, kReadKeyLightMap);
  commands.push_back(kEndConfig);
  return commands;
}

class KeyboardReadKeyTablesFault : public KeyboardSimulatorTest,
                                   public ::testing::WithParamInterface<ReadFaultCase> {};

TEST_P(KeyboardReadKeyTablesFault, SequenceGoesOnAndCloses) {
  const ReadFaultCase& c = GetParam();
  ConnectWired();
  if (c.read_before) {
    ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  }
  const size_t before = LogSize();
  devsim::FaultSettings fault;
  fault.kind = devsim::FaultKind::kStatus;
  fault.status = 0xFF;
  fault.command = CommandByte(c.refused_command);
  fault.count = 1;
  server_->SetFault(fault);
  EXPECT_EQ(device_->ReadKeyTables(), c.expected_result);
  const auto commands = LoggedCommands();
  EXPECT_EQ(std::vector<CommandCode>(commands.begin() + static_cast<long>(before), commands.end()),
            c.expected_commands);
  EXPECT_EQ(device_->MatchedKeyCount(), c.matched_keys);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardReadKeyTablesFault,
    ::testing::Values(
        ReadFaultCase{"RefusedBeginConfig", kBeginConfig, false, CommandResult::kRejected, FullReadCommands(), 126},
        // The previous record stays, and with it the key count.
        ReadFaultCase{"RefusedDeviceInfoKeepsTheRecord", kReadDeviceInfo, true, CommandResult::kRejected,
                      FullReadCommands(), 126},
        // No record yet: key count 0, so the tables are empty reads.
        ReadFaultCase{"RefusedDeviceInfoWithoutARecord", kReadDeviceInfo, false, CommandResult::kRejected,
                      {kBeginConfig, kReadDeviceInfo, kEndConfig}, 0}),
    [](const ::testing::TestParamInfo<ReadFaultCase>& info) { return std::string(info.param.name); });

TEST_F(KeyboardSimulatorTest, RefusedBlockSizeStopsWithoutClosingAndKeepsTheMaps) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  const auto device_keys = device_->DeviceKeyMap();
  // 200 keys: 600 bytes of key table, more than the 512 a block holds.
  ASSERT_TRUE(server_->Keyboard().WriteArea(KeyboardArea::kDeviceInfo, 5, std::vector<uint8_t>{200}));
  const size_t before = LogSize();
  EXPECT_NE(device_->ReadKeyTables(), CommandResult::kSuccess);
  const auto commands = LoggedCommands();
  EXPECT_EQ(std::vector<CommandCode>(commands.begin() + static_cast<long>(before), commands.end()),
            (std::vector<CommandCode>{kBeginConfig, kReadDeviceInfo}));
  EXPECT_EQ(device_->DeviceKeyMap(), device_keys);
}

}  // namespace
}  // namespace zt640::test
