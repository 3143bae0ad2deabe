#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "devices/mouse/kalvex_mouse_device.h"
#include "support/wait_until.h"
#include "transport/scripted_device.h"

namespace zt640 {
namespace {

namespace fs = std::filesystem;
using test::Report;
using test::ScriptedDevice;

// Factory values of the logical buttons, in logical order.
const std::vector<std::vector<uint8_t>> kFactory = {
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};

/// A small mouse firmware: memory areas, the receiver's link answer, and the
/// requests it was sent.
struct MouseFirmware {
  std::mutex mutex;
  std::vector<uint8_t> info = std::vector<uint8_t>(34, 0);
  std::vector<uint8_t> key_table;
  std::vector<uint8_t> settings = std::vector<uint8_t>(2048, 0);
  std::vector<uint8_t> macro_area = std::vector<uint8_t>(8192, 0);
  std::vector<uint8_t> shoot_area = std::vector<uint8_t>(8192, 0);
  bool mouse_on = true;

  MouseFirmware() {
    // Device order differs from the logical order; the mouse has no DPI cycle
    // button and one key that is no logical button at all.
    const std::vector<int> order = {1, 0, 2, 4, 3, -1, 5, 6, 8, 9, 10};
    for (int j : order) {
      if (j < 0) {
        key_table.insert(key_table.end(), {0x20, 0x00, 0x04});
      } else {
        key_table.insert(key_table.end(), kFactory[static_cast<size_t>(j)].begin(),
                         kFactory[static_cast<size_t>(j)].end());
      }
    }
    info[5] = static_cast<uint8_t>(key_table.size() / 3);
    info[6] = 24;  // 3072 bytes of macro memory
    info[9] = 0x25;
    info[10] = 0x33;
    info[11] = 100;
    info[12] = 73;
    info[14] = 200;
  }

  std::vector<Report> Answer(const Report& request) {
    std::lock_guard lock(mutex);
    const uint8_t command = request[3];
    const size_t length = request[4];
    const size_t offset = request[5] | request[6] << 8;
    const auto read = [&](const std::vector<uint8_t>& area) {
      std::vector<uint8_t> data(length, 0);
      for (size_t i = 0; i < length && offset + i < area.size(); ++i) data[i] = area[offset + i];
      return std::vector<Report>{ScriptedDevice::Echo(request, 0, data)};
    };
    const auto write = [&](std::vector<uint8_t>& area) {
      for (size_t i = 0; i < length && offset + i < area.size(); ++i) area[offset + i] = request[8 + i];
      return std::vector<Report>{ScriptedDevice::Echo(request)};
    };
    switch (command) {
      case 0xAA:
        return {ScriptedDevice::Echo(request, 0, {static_cast<uint8_t>(mouse_on ? 0xFF : 0x00)})};
      case 0x03: return read(info);
      case 0x05: return read(settings);
      case 0x06: return write(settings);
      case 0x07: return read(key_table);
      case 0x09: return write(key_table);
      case 0x15: return write(macro_area);
      case 0x17: return write(shoot_area);
      case 0x1A: return read(std::vector<uint8_t>{80, 1, 0, 0, 0, 0});
      default: return {ScriptedDevice::Echo(request)};
    }
  }
};

class MouseDeviceTest : public ::testing::Test {
 protected:
  MouseDeviceTest()
      : scripted_([this](const Report& request) { return firmware_.Answer(request); }) {
    root_ = fs::temp_directory_path() / ("zt640-mouse-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "user");
    folders_.defaults = std::string(ZT640_SOURCE_DIR) + "/data/DefaultData/";
    folders_.user_data_root = (root_ / "user").string() + "/";
    device_ = std::make_unique<CKalvexMouseDevice>(folders_, "mouse");
    device_->SetScreenSize(1920, 1080);
    device_->SetProfileName("profile1");
    device_->LoadProfileState();
  }
  ~MouseDeviceTest() override {
    device_.reset();
    fs::remove_all(root_);
  }

  std::string DataFolder() const { return folders_.user_data_root + "mouse/"; }

  /// A library of `count` macros; macro i has i + 1 key events.
  void WriteLibrary(int count) {
    std::string config = "{\"MacroInfo\": [";
    for (int i = 0; i < count; ++i) {
      config += (i ? "," : "") + std::string("{\"MacroName\": \"m") + std::to_string(i) + "\", \"Guid\": \"g" +
                std::to_string(i) + "\"}";
      std::string events = "{\"Events\": [";
      for (int e = 0; e <= i; ++e) {
        events += (e ? "," : "") + std::string("{\"Action\": \"down\", \"Button\": ") + std::to_string(4 + i) +
                  ", \"Delay\": \"" + std::to_string(10 * (e + 1)) + "\", \"Type\": 10}";
      }
      std::ofstream(DataFolder() + "g" + std::to_string(i) + ".mac") << events << "]}";
    }
    std::ofstream(DataFolder() + "macro.config") << config << "]}";
  }

  void Connect(bool via_receiver = false) { ASSERT_TRUE(device_->Connect(scripted_.path(), via_receiver)); }

  /// Requests with command byte `command`.
  std::vector<Report> Sent(uint8_t command) const {
    std::vector<Report> found;
    for (const Report& r : scripted_.requests()) {
      if (r[3] == command) found.push_back(r);
    }
    return found;
  }
  std::vector<uint8_t> Commands() const {
    std::vector<uint8_t> commands;
    for (const Report& r : scripted_.requests()) commands.push_back(r[3]);
    return commands;
  }
  /// Request payloads of `command` joined in order.
  std::vector<uint8_t> Payload(uint8_t command) const {
    std::vector<uint8_t> data;
    for (const Report& r : Sent(command)) data.insert(data.end(), r.begin() + 8, r.begin() + 8 + r[4]);
    return data;
  }

  MouseFirmware firmware_;
  ScriptedDevice scripted_;
  fs::path root_;
  ProfileFolders folders_;
  std::unique_ptr<CKalvexMouseDevice> device_;
};

TEST_F(MouseDeviceTest, ReadDeviceMapsButtonsAndScale) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x03, 0x07, 0x02}));
  const std::array<uint8_t, 11> expected = {1, 0, 2, 4, 3, 6, 7, 0xAA, 8, 9, 10};
  EXPECT_EQ(device_->ButtonMap().Positions(), expected);
  EXPECT_EQ(device_->Scale().LevelToDpi(50), 5400);
  EXPECT_EQ(device_->Scale().DpiFieldMaximum(), 7300);
}

TEST_F(MouseDeviceTest, ReadDeviceWithKeyCountBeyondTheChannelEndsTheSequence) {
  firmware_.info[5] = 171;  // 513 bytes of key table
  Connect();
  EXPECT_NE(device_->ReadDeviceTables(), CommandResult::kSuccess);
  EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x03, 0x02}));
  EXPECT_FALSE(device_->ButtonMap().Has(0));
}

TEST_F(MouseDeviceTest, ReceiverWithMouseOffSendsOnlyTheLinkQuery) {
  firmware_.mouse_on = false;
  Connect(/*via_receiver=*/true);
  EXPECT_NE(device_->ReadDeviceTables(), CommandResult::kSuccess);
  EXPECT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kFailed);
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kFailed);
  EXPECT_EQ(device_->WriteShootData().outcome, MacroWriteResult::Outcome::kFailed);
  EXPECT_EQ(device_->WriteMacros({0}).outcome, MacroWriteResult::Outcome::kFailed);
  EXPECT_NE(device_->ReadActiveSettings(), CommandResult::kSuccess);
  for (uint8_t command : Commands()) EXPECT_EQ(command, 0xAA);
  EXPECT_FALSE(Commands().empty());
}

TEST_F(MouseDeviceTest, ReceiverWithMouseOnReadsAndWritesIn24ByteChunks) {
  Connect(/*via_receiver=*/true);
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  ASSERT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  const auto writes = Sent(0x06);
  ASSERT_EQ(writes.size(), 3u);  // 24 + 24 + 18 bytes
  EXPECT_EQ(writes[2][4], 18);
  EXPECT_EQ(writes[2][5], 48);
}

TEST_F(MouseDeviceTest, SettingsWriteSendsTheProfileAtSlotTimes128) {
  Connect();
  device_->LoadNameLists();
  ASSERT_EQ(device_->WriteSettingsRecord(2, 0, 1, 1920, 1080), CommandResult::kSuccess);
  EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x06, 0x06, 0x02}));
  EXPECT_EQ(Sent(0x06)[0][5] | Sent(0x06)[0][6] << 8, 256);
  const std::vector<uint8_t> bytes = Payload(0x06);
  ASSERT_EQ(bytes.size(), 66u);
  // The default profile: the mode's code, the stages with levels 4, 8, 16,
  // 32, 64, the current stage 1, the first correction preset (16, 4).
  const std::vector<uint8_t> stage0 = {1, 0, 4, 0, 4, 0, 255, 0, 0};
  EXPECT_TRUE(std::equal(stage0.begin(), stage0.end(), bytes.begin() + 14));
  EXPECT_EQ(bytes[12], 1);
  EXPECT_EQ(bytes[14 + 4 * 9 + 2], 64);
  EXPECT_EQ(bytes[59], 1);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 60, bytes.end())),
            (std::vector<uint8_t>{0x80, 0x07, 0x38, 0x04, 16, 4}));
}

TEST_F(MouseDeviceTest, ModeIndexTwelveIsWrittenAsModeZerosCode) {
  device_->LoadNameLists();
  ASSERT_FALSE(device_->ModeList().empty());
  LightState state;
  state.bytes[LightState::kMode] = 12;
  device_->SetLightState(state.Words());
  EXPECT_EQ(device_->BuildSettingsRecord(0, 1, 0, 0).mode_code(), device_->ModeCode(0));
  EXPECT_EQ(device_->ModeCode(12), static_cast<uint8_t>(device_->ModeList()[0].value));
}

TEST_F(MouseDeviceTest, RefreshReadsActiveSlotRecordButNotDpiLevels) {
  device_->LoadNameLists();
  firmware_.settings[0] = 3;
  std::vector<uint8_t>& s = firmware_.settings;
  const size_t at = 3 * 128;
  s[at + 1] = static_cast<uint8_t>(device_->ModeList()[2].value);
  s[at + 2] = 1;
  s[at + 3] = 4;  // speed 0
  s[at + 5] = 1;
  s[at + 6] = 9;
  s[at + 12] = 4;
  s[at + 14 + 2] = 70;  // a DPI level the profile does not take over
  Connect();
  ASSERT_EQ(device_->ReadActiveSettings(), CommandResult::kSuccess);
  EXPECT_EQ(Sent(0x05).size(), 3u);  // 1 byte, then 71 bytes as 56 + 15
  EXPECT_EQ(Sent(0x05)[1][5] | Sent(0x05)[1][6] << 8, 384);
  EXPECT_EQ(device_->ActiveSlot(), 3);
  EXPECT_EQ(device_->Effect().mode, 2);
  EXPECT_EQ(device_->Effect().speed, 0);
  EXPECT_EQ(device_->Effect().red, 9);
  EXPECT_EQ(device_->CurrentStage(), 4);
  EXPECT_EQ(device_->StageLevel(0), 4);
  EXPECT_EQ(device_->Profile().GetActiveDpiStage(), 4);
}

TEST_F(MouseDeviceTest, KeyDownloadRenumbersMacrosDenselyInButtonOrder) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  WriteLibrary(6);
  // Right on macro 5, forward on macro 2, back on macro 5 again, middle on a
  // macro the library lacks, DPI cycle (absent on this mouse) on macro 1.
  const std::map<int, KeyAssignment> assigned = {
      {1, {0x70, 5, 1}}, {3, {0x71, 2, 0}}, {4, {0x70, 5, 0}}, {2, {0x70, 9, 0}}, {7, {0x70, 1, 0}}};
  for (const auto& [button, value] : assigned) {
    device_->SetSelectedKey(button);
    KeyListEntry entry = device_->KeyList()[static_cast<size_t>(button)];
    entry.current.assignment = value;
    device_->ApplyKeyAssignment(entry);
  }
  EXPECT_EQ(device_->GetMacroUsage(), (std::vector<int>{5, 2}));
  ASSERT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  const std::vector<uint8_t> table = Payload(0x09);
  ASSERT_EQ(table.size(), 33u);
  // Device positions: right 0, left 1, middle 2, back 3, forward 4, the
  // keyboard key 5 stays as read.
  const std::vector<uint8_t> expected_head = {0x70, 0, 1, 0x10, 0x01, 0x00, 0x10, 0x04, 0x00,
                                             0x70, 0, 0, 0x71, 1, 0,    0x20, 0x00, 0x04};
  EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 18), expected_head);
  EXPECT_EQ(Commands().back(), 0x02);
  // The profile keeps the library's numbers.
  EXPECT_EQ(device_->KeyList()[1].current.assignment, (KeyAssignment{0x70, 5, 1}));

  ASSERT_EQ(device_->WriteMacros(device_->GetMacroUsage()).outcome, MacroWriteResult::Outcome::kWritten);
  const std::vector<uint8_t> area = Payload(0x15);
  // Two macros of 6 and 3 events: 16 + 12 + 36 = 64 bytes, macro 5 first.
  ASSERT_EQ(area.size(), 64u);
  const std::vector<uint8_t> header = {0xAA, 0x55, 64, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 48, 0};
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 20), header);
  EXPECT_EQ((std::vector<uint8_t>(area.begin() + 20, area.begin() + 28)),
            (std::vector<uint8_t>{6, 0, 0, 0, 10, 0, 0x8A, 9}));
  EXPECT_EQ((std::vector<uint8_t>(area.begin() + 48, area.begin() + 52)), (std::vector<uint8_t>{3, 0, 0, 0}));
  EXPECT_EQ(area[54], 0x8A);
  EXPECT_EQ(area[55], 6);
}

TEST_F(MouseDeviceTest, ReassignedButtonKeepsItsPositionAfterTheNextConnect) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  device_->SetSelectedKey(0);
  KeyListEntry left = device_->KeyList()[0];
  left.current.assignment = {0x20, 0x00, 0x05};
  device_->ApplyKeyAssignment(left);
  ASSERT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  ASSERT_EQ((std::vector<uint8_t>(firmware_.key_table.begin() + 3, firmware_.key_table.begin() + 6)),
            (std::vector<uint8_t>{0x20, 0x00, 0x05}));

  CKalvexMouseDevice next(folders_, "mouse");
  ASSERT_TRUE(next.Connect(scripted_.path(), false));
  ASSERT_EQ(next.ReadDeviceTables(), CommandResult::kSuccess);
  EXPECT_EQ(next.ButtonMap().Position(MouseButtonMap::kLeft), 1);
  EXPECT_EQ(next.ButtonMap().Position(MouseButtonMap::kDpiCycle), MouseButtonMap::kAbsent);
}

TEST_F(MouseDeviceTest, MacrosBeyondCapacityReturnTheOverflowAndSendNothing) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  WriteLibrary(14);
  // Macros 12 and 13 of 13 and 14 events: 16 + 12 + 108 = 136 bytes, the
  // capacity of 128 bytes plus 8.
  firmware_.info[6] = 1;
  const size_t before = scripted_.requests().size();
  const MacroWriteResult overflow = device_->WriteMacros({12, 13});
  EXPECT_EQ(overflow.outcome, MacroWriteResult::Outcome::kTooLong);
  EXPECT_EQ(overflow.overflow, 3u);
  EXPECT_TRUE(Sent(0x15).empty());
  EXPECT_EQ(scripted_.requests().size(), before + 1);  // only the information record
  EXPECT_EQ(device_->WriteMacros({}).outcome, MacroWriteResult::Outcome::kWritten);
  EXPECT_TRUE(Sent(0x15).empty());
}

TEST_F(MouseDeviceTest, ShootDataSendsFourGunsInFixed56ByteChunks) {
  Connect(/*via_receiver=*/true);
  ASSERT_EQ(device_->WriteShootData().outcome, MacroWriteResult::Outcome::kWritten);
  const auto chunks = Sent(0x17);
  // 16 + 6 x 4 + 4 x 4 x 180 = 2920 bytes: 52 chunks of 56 and one of 8, even through the receiver.
  ASSERT_EQ(chunks.size(), 53u);
  EXPECT_EQ(chunks[0][4], 56);
  EXPECT_EQ(chunks.back()[4], 8);
  const std::vector<uint8_t> area = Payload(0x17);
  ASSERT_EQ(area.size(), 2920u);
  EXPECT_EQ((std::vector<uint8_t>(area.begin(), area.begin() + 6)), (std::vector<uint8_t>{0xAA, 0x55, 0x68, 0x0B, 4, 0}));
  // Gun 0 starts after the 24-byte offsets; its first event is a left press with delay 10.
  EXPECT_EQ(area[16] | area[17] << 8, 24);
  EXPECT_EQ(area[18] | area[19] << 8, 24 + 4 + 720);
  EXPECT_EQ((std::vector<uint8_t>(area.begin() + 24, area.begin() + 36)),
            (std::vector<uint8_t>{180, 0, 0, 0, 10, 0, 0x81, 1, 0, 0, 0x01, 1}));
}

TEST_F(MouseDeviceTest, ShootDataBeyondCapacitySendsNothing) {
  firmware_.info[6] = 22;  // 2816 bytes: 104 short of 2920
  Connect();
  const MacroWriteResult result = device_->WriteShootData();
  EXPECT_EQ(result.outcome, MacroWriteResult::Outcome::kTooLong);
  EXPECT_EQ(result.overflow, 104u / 4 + 1);
  EXPECT_TRUE(Sent(0x17).empty());
}

TEST_F(MouseDeviceTest, PanelStageActionsKeepOneStageEnabled) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  ASSERT_EQ(device_->SelectStage(0), CommandResult::kSuccess);
  EXPECT_FALSE(device_->StageBoxEnabled(0));  // the current stage
  for (int stage : {1, 2, 3}) ASSERT_EQ(device_->SetStageEnabled(stage, false), CommandResult::kSuccess);
  EXPECT_TRUE(device_->StageBoxEnabled(4));
  ASSERT_EQ(device_->SelectStage(4), CommandResult::kSuccess);
  // Disabling the second-to-last enabled stage leaves the last one's box disabled.
  ASSERT_EQ(device_->SetStageEnabled(0, false), CommandResult::kSuccess);
  EXPECT_FALSE(device_->StageBoxEnabled(4));
  const size_t before = scripted_.requests().size();
  EXPECT_EQ(device_->SetStageEnabled(4, false), CKalvexMouseDevice::kActionRefused);
  EXPECT_EQ(scripted_.requests().size(), before);
  EXPECT_EQ(device_->Stages()[4].active, 1);
}

TEST_F(MouseDeviceTest, PanelDpiAndRateReachTheRecordAndTheProfile) {
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  ASSERT_EQ(device_->SetStageDpi(2, 5400), CommandResult::kSuccess);
  EXPECT_EQ(device_->StageLevel(2), 50);
  EXPECT_EQ(device_->StageDpi(2), 5400);
  EXPECT_EQ(firmware_.settings[14 + 2 * 9 + 2], 50);
  ASSERT_EQ(device_->SetStageLevel(1, 200), CommandResult::kSuccess);
  EXPECT_EQ(device_->StageLevel(1), 73);
  ASSERT_EQ(device_->SetReportRate(3), CommandResult::kSuccess);
  EXPECT_EQ(firmware_.settings[11], 3);
  EXPECT_EQ(device_->SetReportRate(5), CKalvexMouseDevice::kActionRefused);
  // The profile on disk holds the edits.
  CMouseProfiledata reread;
  (void)reread.LoadProfile(DataFolder() + "profile1.Json");
  EXPECT_EQ(reread.GetDpiStages()[2].dpi_x, 50);
  EXPECT_EQ(reread.GetMouseOptions().report_stage, 3);
}

TEST_F(MouseDeviceTest, DpiFromAnUnusableInformationRecordIsRefused) {
  firmware_.info[11] = 0;  // step 0
  Connect();
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  const int before = device_->StageLevel(2);
  EXPECT_EQ(device_->SetStageDpi(2, 5400), CKalvexMouseDevice::kActionRefused);
  EXPECT_EQ(device_->StageLevel(2), before);
  EXPECT_TRUE(Sent(0x06).empty());
}

TEST_F(MouseDeviceTest, ReportsChangeSlotAndStage) {
  Connect();
  ASSERT_TRUE(device_->HandleReport(0x1125, true).has_value());
  EXPECT_EQ(device_->ActiveSlot(), 5);
  EXPECT_EQ(device_->CurrentStage(), 2);
  ASSERT_TRUE(device_->HandleReport(0x1003, false).has_value());
  EXPECT_EQ(device_->ActiveSlot(), 3);
  EXPECT_EQ(device_->CurrentStage(), 2);
  EXPECT_FALSE(device_->HandleReport(0x0402, true).has_value());
  EXPECT_FALSE(device_->HandleReport(0x1275, true).has_value());
  // A stage the mouse does not have changes the slot only.
  ASSERT_TRUE(device_->HandleReport(0x11F1, true).has_value());
  EXPECT_EQ(device_->ActiveSlot(), 1);
  EXPECT_EQ(device_->CurrentStage(), 2);
  EXPECT_EQ(device_->HandleReport(0x0401, false)->kind, MouseReport::Kind::kRefresh);
  EXPECT_EQ(device_->HandleReport(0x0403, true)->kind, MouseReport::Kind::kReactive);
  EXPECT_FALSE(device_->HandleReport(0x0403, false).has_value());
  EXPECT_TRUE(scripted_.requests().empty());
}

}  // namespace
}  // namespace zt640

namespace zt640 {
namespace {

TEST_F(MouseDeviceTest, DropMissingMacrosGivesButtonsTheirDefaults) {
  WriteLibrary(2);
  for (const auto& [button, number] : std::map<int, uint8_t>{{3, 1}, {4, 2}}) {
    device_->SetSelectedKey(button);
    KeyListEntry entry = device_->KeyList()[static_cast<size_t>(button)];
    entry.current.assignment = {0x70, number, 0};
    device_->ApplyKeyAssignment(entry);
  }
  device_->DropMissingMacros();
  EXPECT_EQ(device_->KeyList()[3].current.assignment, (KeyAssignment{0x70, 1, 0}));
  EXPECT_EQ(device_->KeyList()[4].current.assignment, device_->KeyList()[4].defaults.assignment);
}

TEST_F(MouseDeviceTest, LightFramesAreStreamedOnlyWhenWired) {
  device_->SetZoneColour(0, ZoneColour{.red = 255, .green = 0, .blue = 128, .brightness = 128});
  Connect(/*via_receiver=*/true);
  device_->SendLightFrame();
  EXPECT_TRUE(Sent(0x12).empty());
  Connect();
  device_->SetZoneColour(0, ZoneColour{.red = 255, .green = 0, .blue = 128, .brightness = 128});
  device_->SendLightFrame();
  const std::vector<uint8_t> frame = Payload(0x12);
  ASSERT_EQ(frame.size(), 45u);  // 15 zones of 3 bytes
  EXPECT_EQ((std::vector<uint8_t>(frame.begin(), frame.begin() + 3)), (std::vector<uint8_t>{127, 0, 64}));
  // The same frame again changes nothing on the mouse and is not sent; a new one is.
  device_->SendLightFrame();
  EXPECT_EQ(Sent(0x12).size(), 1u);
  device_->SetZoneColour(1, ZoneColour{.red = 0, .green = 255, .blue = 0, .brightness = 255});
  device_->SendLightFrame();
  EXPECT_EQ(Sent(0x12).size(), 2u);
}

// The mouse plays its ten modes itself; only the light frames past them need
// the host's frames, and only on the cable.
TEST_F(MouseDeviceTest, StreamsHostFramesOnlyForLightFramesOnTheCable) {
  const auto set_mode = [&](uint8_t mode) {
    LightState state = device_->GetLightState();
    state.bytes[LightState::kMode] = mode;
    device_->SetLightState(state.Words());
  };
  set_mode(12);
  EXPECT_FALSE(device_->StreamsHostFrames());  // not connected
  Connect(/*via_receiver=*/true);
  EXPECT_FALSE(device_->StreamsHostFrames());
  Connect();
  EXPECT_TRUE(device_->StreamsHostFrames());
  device_->SetHostLighting(false);
  EXPECT_FALSE(device_->StreamsHostFrames());
  device_->SetHostLighting(true);
  set_mode(9);
  EXPECT_FALSE(device_->StreamsHostFrames());
}

// 0x0403 from the cable starts every zone of the reactive lighting; the worker
// shows them rising.
TEST_F(MouseDeviceTest, PressReportLightsTheReactiveZones) {
  LightState state;
  state.bytes = {6, 4, 4, 1, 0, 0xFF, 0x00, 0x00};
  device_->SetLightState(state.Words());
  Connect();
  device_->StartLightWorker();
  EXPECT_FALSE(device_->HandleReport(0x0403, /*wired=*/false).has_value());
  ASSERT_TRUE(device_->HandleReport(0x0403, /*wired=*/true).has_value());
  ASSERT_TRUE(test::WaitUntil([&] { return device_->GetZoneColour(14).brightness > 0; }));
  EXPECT_EQ(device_->GetZoneColour(14).red, 0xFF);
  EXPECT_GT(device_->GetZoneColour(14).brightness, 0);
  EXPECT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
}

}  // namespace
}  // namespace zt640

namespace zt640 {
namespace {

// Consumer control, report id 3: one 16-bit usage, as the mouse's listening interface.
const std::vector<uint8_t> kConsumerDescriptor = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15,
                                                  0x00, 0x26, 0xFF, 0x1F, 0x19, 0x00, 0x2A, 0xFF, 0x1F,
                                                  0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

TEST(MouseListener_Reports, ReachTheOwnerThroughTheQueue) {
  ScriptedDevice node([](const Report&) { return std::vector<Report>{}; }, kConsumerDescriptor);
  const fs::path root = fs::temp_directory_path() / ("zt640-mouse-listener-" + std::to_string(::getpid()));
  CKalvexMouseDevice device({std::string(ZT640_SOURCE_DIR) + "/data/DefaultData/", root.string() + "/"}, "mouse");
  ASSERT_TRUE(device.Connect(node.path(), false));
  std::mutex mutex;
  std::condition_variable queued;
  int notified = 0;
  device.SetListenerNotify([&] {
    std::lock_guard lock(mutex);
    ++notified;
    queued.notify_all();
  });
  ASSERT_TRUE(device.AttachSecondaryInterface(DeviceKind::kMouse, node.path()));
  ASSERT_TRUE(device.SecondaryInterfaceAttached(DeviceKind::kMouse));
  EXPECT_FALSE(device.SecondaryInterfaceAttached(DeviceKind::kMouseReceiver));
  const auto send = [&](uint16_t value) {
    node.Send({0x03, static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)});
  };
  const auto wait_for = [&](int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return queued.wait_for(lock, timeout, [&] { return notified >= count; });
  };
  // The node accepts the listener's connection on its own thread: 0x0402
  // (read and queued, but asking nothing) is sent until one arrives.
  bool connected = false;
  for (int attempt = 0; attempt < 100 && !connected; ++attempt) {
    send(0x0402);
    connected = wait_for(1, std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(connected);
  (void)device.ProcessListenerEvents();  // the probes ask nothing
  for (uint16_t value : {0x1125, 0x0401, 0x0403}) send(value);
  std::vector<MouseReport> reports;
  for (int round = 0; round < 100 && reports.size() < 3; ++round) {
    int seen = 0;
    {
      std::lock_guard lock(mutex);
      seen = notified;
    }
    for (const MouseReport& report : device.ProcessListenerEvents()) reports.push_back(report);
    if (reports.size() < 3) (void)wait_for(seen + 1, std::chrono::milliseconds(50));
  }
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].kind, MouseReport::Kind::kSlot);
  EXPECT_EQ(reports[1].kind, MouseReport::Kind::kRefresh);
  EXPECT_EQ(reports[2].kind, MouseReport::Kind::kReactive);
  EXPECT_EQ(device.ActiveSlot(), 5);
  EXPECT_EQ(device.CurrentStage(), 2);
  device.DetachSecondaryInterface(DeviceKind::kMouse);
  EXPECT_FALSE(device.SecondaryInterfaceAttached(DeviceKind::kMouse));
  fs::remove_all(root);
}

}  // namespace
}  // namespace zt640
