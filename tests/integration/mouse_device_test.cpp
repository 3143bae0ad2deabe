#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "devices/mouse/kalvex_mouse_device.h"
#include "devsim/devsim_server.h"
#include "integration/simulator_files.h"
#include "profiles/global_utils.h"
#include "support/wait_until.h"
#include "transport/command_code.h"
#include "transport/device_path.h"

namespace zt640::test {
namespace {

using devsim::MouseArea;
using enum CommandCode;

constexpr uint16_t kMousePid = 0x5A1C;
constexpr uint16_t kMouseReceiverPid = 0x5A1D;
constexpr int kCommandCollection = 4;
constexpr size_t kSlotStride = 128;
constexpr size_t kCurrentStageByte = 12;

/// The mouse object over the simulated mouse, on its cable (false) or through
/// its receiver (true).
class MouseSimulatorTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-mouse-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::filesystem::create_directories(root_ + "/DefaultData");
    folders_ = {root_ + "/DefaultData/", root_ + "/data/"};
    setenv("ZT640_HID_ROOT", (root_ + "/hid").c_str(), 1);
  }

  void StartSimulator(bool mouse_powered, devsim::MouseVariant variant = devsim::MouseVariant::kElevenButtons) {
    devsim::DevsimConfig config;
    config.root = root_ + "/hid";
    config.with_mouse = true;
    config.with_mouse_receiver = true;
    config.mouse_powered = mouse_powered;
    config.mouse_variant = variant;
    config.log_file = root_ + "/requests.log";
    server_ = std::make_unique<devsim::DevsimServer>(config);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    device_ = std::make_unique<CKalvexMouseDevice>(folders_, "mouse");
    device_->SetProfileName("p1");
    const bool via_receiver = GetParam();
    ASSERT_TRUE(device_->Connect(CommandPath(via_receiver ? kMouseReceiverPid : kMousePid), via_receiver));
  }

  void TearDown() override {
    device_.reset();
    if (server_) {
      EXPECT_EQ(server_->Mouse().WritesOutsideConfig(), 0u);
      server_->Stop();
    }
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  std::string CommandPath(uint16_t product) { return SimulatedInterfacePath(product, kCommandCollection); }

  /// A library of `count` macros, each with two events (down/up of key 4 + i).
  void WriteMacroLibrary(int count) {
    test::WriteMacroLibrary(device_->GetDataFolder(), count, [](int i) {
      Json::Value events;
      for (int e = 0; e < 2; ++e) {
        Json::Value event;
        event["Action"] = e == 0 ? "down" : "up";
        event["Type"] = 2;
        event["Button"] = 4 + i;
        event["Delay"] = "10";
        events.append(event);
      }
      return events;
    });
  }

  /// Every logged request's bytes.
  std::vector<std::vector<uint8_t>> LoggedPackets() {
    std::vector<std::vector<uint8_t>> packets;
    std::ifstream in(root_ + "/requests.log");
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream words(line);
      std::vector<uint8_t> packet;
      std::string word;
      while (words >> word) packet.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
      if (packet.size() > 7) packets.push_back(packet);
    }
    return packets;
  }
  std::vector<CommandCode> LoggedCommands() {
    std::vector<CommandCode> commands;
    for (const auto& packet : LoggedPackets()) commands.push_back(static_cast<CommandCode>(packet[3]));
    return commands;
  }

  std::string root_;
  ProfileFolders folders_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::unique_ptr<CKalvexMouseDevice> device_;
};

TEST_P(MouseSimulatorTest, ReadsWritesSettingsKeysMacrosAndShootData) {
  StartSimulator(true);
  const bool via_receiver = GetParam();

  // Read sequence: (the link query through the receiver,) 0x01, the 34-byte
  // information record, the key table of 3 bytes per key, 0x02; the receiver
  // carries 24 data bytes a packet, the cable 56.
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  const size_t chunk = via_receiver ? 24 : 56;
  const size_t key_bytes = 3 * server_->Mouse().KeyCount();
  std::vector<CommandCode> expected;
  if (via_receiver) expected.push_back(kQueryReceiverLink);
  expected.push_back(kBeginConfig);
  expected.insert(expected.end(), (34 + chunk - 1) / chunk, kReadDeviceInfo);
  expected.insert(expected.end(), (key_bytes + chunk - 1) / chunk, kReadKeyTable);
  expected.push_back(kEndConfig);
  EXPECT_EQ(LoggedCommands(), expected);
  const auto table = server_->Mouse().Area(MouseArea::kKeyTable);
  EXPECT_TRUE(std::equal(table.begin(), table.begin() + static_cast<long>(key_bytes), device_->KeyTableCopy().begin()));
  ASSERT_EQ(device_->ReadActiveSettings(), CommandResult::kSuccess);

  // A DPI stage change lands in slot 0's record and reads back: stage 1's X
  // level at 14 + 9 + 2, the current stage at 12, then 1 and the screen size.
  device_->SetScreenSize(1280, 720);
  ASSERT_EQ(device_->SetStageLevel(1, 20), 1);
  ASSERT_EQ(device_->SelectStage(2), 1);
  const auto settings = server_->Mouse().Area(MouseArea::kSettings);
  EXPECT_EQ(settings[kCurrentStageByte], 2);
  EXPECT_EQ(settings[25], 20);
  EXPECT_EQ(settings[26], 0);
  EXPECT_EQ(std::vector<uint8_t>(settings.begin() + 59, settings.begin() + 64),
            (std::vector<uint8_t>{1, 0x00, 0x05, 0xD0, 0x02}));
  ASSERT_EQ(device_->ReadActiveSettings(), CommandResult::kSuccess);
  ASSERT_TRUE(device_->LastSettings().has_value());
  EXPECT_EQ(device_->LastSettings()->current_stage(), 2);
  EXPECT_EQ(device_->LastSettings()->bytes[25], 20);
  EXPECT_EQ(device_->CurrentStage(), 2);
  // Another slot's record goes to slot x 128.
  ASSERT_EQ(device_->WriteSettingsRecord(1, 0, 1, 1280, 720), 1);
  const auto slots = server_->Mouse().Area(MouseArea::kSettings);
  EXPECT_TRUE(std::equal(slots.begin() + 1, slots.begin() + 66, slots.begin() + kSlotStride + 1));
  EXPECT_EQ(slots[kSlotStride + 25], 20);

  // Key download with a macro: button 0 on macro 5 is renumbered to the first macro.
  WriteMacroLibrary(6);
  ASSERT_TRUE(device_->ButtonMap().Has(0));
  std::map<int, KeyListEntry> assignments;
  KeyListEntry entry;
  entry.current.assignment = {0x70, 5, 1};
  assignments[0] = entry;
  ASSERT_EQ(device_->WriteKeyAssignments(0, &assignments), 1);
  const size_t p = device_->ButtonMap().Position(0);
  const auto written = server_->Mouse().Area(MouseArea::kKeyTable);
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + static_cast<long>(3 * p), written.begin() + static_cast<long>(3 * p + 3)),
            (std::vector<uint8_t>{0x70, 0, 1}));
  ASSERT_EQ(device_->WriteMacros({5}).outcome, MacroWriteResult::Outcome::kWritten);
  const auto macros = server_->Mouse().Area(MouseArea::kMacros);
  // Header: marker, total 16 + 6 + 8 = 30, one entry; the entry's first event is key 4 + 5.
  EXPECT_EQ(std::vector<uint8_t>(macros.begin(), macros.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 30, 0, 1, 0}));
  EXPECT_EQ(macros[16], 18);  // the one block right after its offset
  EXPECT_EQ(macros[25], 9);

  // Capacity 24 x 128 = 3072; macros 0 (761 events) and 5 (2 events) take
  // 16 + 12 + 4 x 763 = 3080 bytes: 3 events too many, nothing sent.
  Json::Value long_macro;
  for (int e = 0; e < 761; ++e) {
    Json::Value event;
    event["Action"] = "down";
    event["Type"] = 2;
    event["Button"] = 4;
    event["Delay"] = "1";
    long_macro["Events"].append(event);
  }
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(device_->GetDataFolder() + "guid0.mac", long_macro));
  const size_t before_overflow = LoggedPackets().size();
  const MacroWriteResult overflow = device_->WriteMacros({0, 5});
  EXPECT_EQ(overflow.outcome, MacroWriteResult::Outcome::kTooLong);
  EXPECT_EQ(overflow.overflow, 3u);
  const auto after_overflow = LoggedCommands();
  EXPECT_EQ(std::count(after_overflow.begin() + static_cast<long>(before_overflow), after_overflow.end(),
                       kWriteMacroArea),
            0);

  // Shoot data: four guns' blocks in pieces of 56 bytes at multiples of 56,
  // together the table's total length.
  const size_t before = LoggedPackets().size();
  ASSERT_EQ(device_->WriteShootData().outcome, MacroWriteResult::Outcome::kWritten);
  const auto shoot = server_->Mouse().Area(MouseArea::kShootData);
  EXPECT_EQ(std::vector<uint8_t>(shoot.begin(), shoot.begin() + 2), (std::vector<uint8_t>{0xAA, 0x55}));
  EXPECT_EQ(shoot[4], 4);
  EXPECT_EQ(shoot[16], 24);  // the first gun's block follows the 16-byte header and four offsets
  const size_t total = shoot[2] | (shoot[3] << 8);
  const auto packets = LoggedPackets();
  size_t sent = 0;
  for (size_t i = before; i < packets.size(); ++i) {
    if (packets[i][3] != CommandByte(kWriteShootData)) continue;
    EXPECT_EQ(packets[i][5] | (packets[i][6] << 8), sent);
    EXPECT_LE(packets[i][4], 56);
    sent += packets[i][4];
  }
  EXPECT_GE(sent, total);
  EXPECT_LT(sent, total + 56);
  EXPECT_EQ(packets.back()[3], CommandByte(kEndConfig));
}

TEST_P(MouseSimulatorTest, ButtonTheMouseLacksIsNeverWritten) {
  // This mouse has no DPI-cycle key (0x13, 0x03, 0x00): logical button 7 has no position.
  StartSimulator(true, devsim::MouseVariant::kNoDpiCycle);
  ASSERT_EQ(device_->ReadDeviceTables(), CommandResult::kSuccess);
  for (size_t button = 0; button < 11; ++button) {
    EXPECT_EQ(device_->ButtonMap().Has(button), button != 7) << button;
  }
  std::map<int, KeyListEntry> assignments;
  KeyListEntry entry;
  entry.current.assignment = {0x02, 0x00, 0x04};
  assignments[7] = entry;
  ASSERT_EQ(device_->WriteKeyAssignments(0, &assignments), 1);
  EXPECT_EQ(server_->Mouse().Area(MouseArea::kKeyTable), server_->Mouse().FactoryArea(MouseArea::kKeyTable));
}

// The lighting worker renders on its own thread; its frames reach the mouse on
// its cable and never through the receiver.
TEST_P(MouseSimulatorTest, WorkerFramesReachTheMouseOnlyOnItsCable) {
  StartSimulator(true);
  device_->ReadDevice();
  LightState state;
  state.bytes = {1, 4, 4, 1, 1};  // spectrum
  device_->SetLightState(state.Words());
  ASSERT_TRUE(WaitUntil([&] { return device_->GetZoneColour(0).brightness > 0; })) << "the worker rendered no frame";
  ASSERT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
  device_->SendLightFrame();
  const auto commands = LoggedCommands();
  const auto streamed = std::count(commands.begin(), commands.end(), kStreamLightFrame);
  if (GetParam()) {
    EXPECT_EQ(streamed, 0);
    return;
  }
  EXPECT_EQ(streamed, 1);  // 15 zones: 45 bytes in one packet
  const auto frame = CKalvexUSBDevice::BuildFrame(device_->ZoneSnapshot());
  const auto live = server_->Mouse().Area(MouseArea::kLiveFrame);
  ASSERT_GE(live.size(), 45u);
  EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + 45, live.begin()));
  EXPECT_EQ(live[0], 0xFF * 255 / 256);  // wheel[1] = (0xFF, 0x03, 0x00) at full level
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, MouseSimulatorTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

using MouseOffSimulatorTest = MouseSimulatorTest;

TEST_P(MouseOffSimulatorTest, MouseOffBehindReceiverGetsOnlyTheLinkQuery) {
  StartSimulator(false);
  EXPECT_NE(device_->ReadDeviceTables(), CommandResult::kSuccess);
  EXPECT_NE(device_->ReadActiveSettings(), CommandResult::kSuccess);
  EXPECT_EQ(device_->WriteSettingsRecord(0, 0, 1, 1920, 1080), 0);
  EXPECT_EQ(device_->WriteShootData().outcome, MacroWriteResult::Outcome::kFailed);
  const auto commands = LoggedCommands();
  EXPECT_EQ(commands, std::vector<CommandCode>(4, kQueryReceiverLink));
}

INSTANTIATE_TEST_SUITE_P(Receiver, MouseOffSimulatorTest, ::testing::Values(true));

using MouseCableSimulatorTest = MouseSimulatorTest;

// The mouse's press report (0x0403) on its cable's report interface lights
// every zone of the reactive lighting.
TEST_P(MouseCableSimulatorTest, PressReportStartsTheReactiveLighting) {
  StartSimulator(true);
  device_->ReadDevice();
  LightState state;
  state.bytes = {6, 4, 4, 1, 0, 0x00, 0xFF, 0x00};
  device_->SetLightState(state.Words());
  ASSERT_TRUE(device_->AttachSecondaryInterface(DeviceKind::kMouse, SimulatedInterfacePath(kMousePid, 3)));
  const auto lit = [&] { return device_->GetZoneColour(14).brightness > 0; };
  // The listener's connection is accepted on the simulator's own thread: the
  // report is sent again until one has arrived.
  bool reacted = false;
  for (int attempt = 0; attempt < 100 && !reacted; ++attempt) {
    ASSERT_TRUE(server_->SendMouseReport(0x0403));
    reacted = WaitUntil(lit, std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(reacted);
  EXPECT_EQ(device_->GetZoneColour(14).green, 0xFF);
  device_->DetachSecondaryInterface(DeviceKind::kMouse);
}

INSTANTIATE_TEST_SUITE_P(Cable, MouseCableSimulatorTest, ::testing::Values(false));

}  // namespace
}  // namespace zt640::test
