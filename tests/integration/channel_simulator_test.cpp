#include <chrono>
#include <thread>

#include "simulator_fixture.h"
#include "support/wait_until.h"

namespace zt640 {
namespace {

using devsim::FaultKind;
using devsim::FaultSettings;
using devsim::KeyboardArea;
using test::SimulatorTest;
using test::WaitUntil;

class ChannelOverConnection : public SimulatorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ChannelOverConnection, ReadsTheKeyboardAndKeepsWhatItWrites) {
  CommandChannel& channel = Connect(GetParam());
  ASSERT_TRUE(channel.QueryReceiverLink());
  ASSERT_EQ(channel.BeginConfig(), CommandResult::kSuccess);
  DeviceInfoRecord info;
  ASSERT_EQ(channel.ReadDeviceInfo(&info), CommandResult::kSuccess);
  const auto expected_info = server_->Keyboard().Area(KeyboardArea::kDeviceInfo);
  EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), expected_info.begin()));
  ASSERT_EQ(channel.SetBlockSize(static_cast<uint16_t>(info.key_count() * 3)), CommandResult::kSuccess);

  std::vector<uint8_t> table(512), light_map(512);
  ASSERT_EQ(channel.ReadKeyTable(table), CommandResult::kSuccess);
  ASSERT_EQ(channel.ReadKeyLightMap(light_map), CommandResult::kSuccess);
  const auto device_table = server_->Keyboard().Area(KeyboardArea::kKeyTable);
  EXPECT_TRUE(std::equal(table.begin(), table.begin() + info.key_count() * 3,
                         device_table.begin()));
  ASSERT_EQ(channel.EndConfig(), CommandResult::kSuccess);

  std::vector<uint8_t> record(29);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i + 1);
  record[0] = 0;
  ASSERT_EQ(channel.BeginConfig(), CommandResult::kSuccess);
  ASSERT_EQ(channel.WriteSettings(29, record), CommandResult::kSuccess);
  ASSERT_EQ(channel.EndConfig(), CommandResult::kSuccess);
  std::vector<uint8_t> back(29);
  ASSERT_EQ(channel.ReadSettings(29, back), CommandResult::kSuccess);
  EXPECT_EQ(back, record);

  std::vector<uint8_t> colours(378);
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(channel.WriteLightMemory(1, colours), CommandResult::kSuccess);
  const auto pages = server_->Keyboard().Area(KeyboardArea::kColourPages);
  EXPECT_TRUE(std::equal(colours.begin(), colours.end(), pages.begin() + 512));
  ASSERT_EQ(channel.StreamLightFrame(colours), CommandResult::kSuccess);

  PowerRecord power;
  ASSERT_EQ(channel.ReadPowerRecord(&power), CommandResult::kSuccess);
  EXPECT_EQ(power.battery_percent(), 85);
}

TEST_P(ChannelOverConnection, ConfigurationWriteOutsideBeginAndEndIsRefused) {
  CommandChannel& channel = Connect(GetParam());
  const auto settings = server_->Keyboard().Area(KeyboardArea::kSettings);
  const std::vector<uint8_t> record(29, 7);
  EXPECT_EQ(channel.WriteSettings(29, record), CommandResult::kRefusedForNow);
  std::vector<uint8_t> table(12, 0x20);
  ASSERT_EQ(channel.SetBlockSize(12), CommandResult::kSuccess);
  EXPECT_EQ(channel.WriteKeyTable(0, table), CommandResult::kRefusedForNow);
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kSettings), settings);
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kKeyTable),
            server_->Keyboard().FactoryArea(KeyboardArea::kKeyTable));
  EXPECT_EQ(server_->Keyboard().WritesOutsideConfig(), 2u);
}

INSTANTIATE_TEST_SUITE_P(WiredAndReceiver, ChannelOverConnection, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Wired"; });

TEST_F(SimulatorTest, Receiver_SwitchedOffKeyboardAnswersNoDevice) {
  server_->SetKeyboardPowered(false);
  CommandChannel& channel = Connect(true);
  EXPECT_FALSE(channel.QueryReceiverLink());
  EXPECT_EQ(channel.BeginConfig(), CommandResult::kReceiverNoDevice);
  server_->SetKeyboardPowered(true);
  EXPECT_TRUE(channel.QueryReceiverLink());
  EXPECT_EQ(channel.BeginConfig(), CommandResult::kSuccess);
}

TEST_F(SimulatorTest, Reset_RestoresFactorySettingsOverTheCable) {
  CommandChannel& channel = Connect(false);
  std::vector<uint8_t> record(29, 3);
  ASSERT_EQ(channel.BeginConfig(), CommandResult::kSuccess);
  ASSERT_EQ(channel.WriteSettings(0, record), CommandResult::kSuccess);
  ASSERT_EQ(channel.EndConfig(), CommandResult::kSuccess);
  ASSERT_EQ(channel.ResetToDefaults(), CommandResult::kSuccess);
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kSettings),
            server_->Keyboard().FactoryArea(KeyboardArea::kSettings));
}

struct FaultCase {
  const char* name;
  FaultSettings fault;
  int expected;
};

class ChannelUnderFault : public SimulatorTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {}
};

TEST_P(ChannelUnderFault, EndsWithTheResultCodeWithinItsTimeOut) {
  FaultSettings fault = GetParam().fault;
  fault.command = CommandByte(CommandCode::kBeginConfig);
  StartSimulator(fault);
  CommandChannel& channel = Connect(false);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(channel.BeginConfig(), GetParam().expected);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  // Other commands are unaffected.
  DeviceInfoRecord info;
  EXPECT_EQ(channel.ReadDeviceInfo(&info), CommandResult::kSuccess);
}

FaultSettings Fault(FaultKind kind, uint32_t late_ms = 0, uint8_t status = 0xFF) {
  FaultSettings fault;
  fault.kind = kind;
  fault.late_ms = late_ms;
  fault.status = status;
  return fault;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ChannelUnderFault,
    ::testing::Values(FaultCase{"Silent", Fault(FaultKind::kSilent), CommandResult::kFailed},
                      FaultCase{"LateWithinTimeOut", Fault(FaultKind::kLate, 200), CommandResult::kSuccess},
                      FaultCase{"WrongEcho", Fault(FaultKind::kWrongEcho), CommandResult::kFailed},
                      FaultCase{"StatusFF", Fault(FaultKind::kStatus, 0, 0xFF),
                                CommandResult::kRejected},
                      FaultCase{"StatusFE", Fault(FaultKind::kStatus, 0, 0xFE),
                                CommandResult::kRefusedForNow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatorTest, LateReplyPastTimeOut_FailsAndDoesNotPoisonTheNextCommand) {
  TearDown();
  FaultSettings fault = Fault(FaultKind::kLate, 1300);
  fault.command = CommandByte(CommandCode::kEnableHostLighting);
  fault.count = 1;
  StartSimulator(fault);
  CommandChannel& channel = Connect(false);
  EXPECT_EQ(channel.EnableHostLighting(), CommandResult::kFailed);
  // The device's own delay: its late reply lands 300 ms after the time-out.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  // The stale 0x1C reply is still queued: the next exchange reads past it.
  EXPECT_EQ(channel.BeginConfig(), CommandResult::kSuccess);
}

TEST_F(SimulatorTest, UnplugMidTransfer_StopsAtTheFirstFailedPacket) {
  TearDown();
  FaultSettings fault;
  fault.unplug_after = 3;
  StartSimulator(fault);
  CommandChannel& channel = Connect(false);
  std::vector<uint8_t> colours(378, 0x11);
  const auto start = std::chrono::steady_clock::now();
  const int result = channel.WriteLightMemory(0, colours);
  EXPECT_TRUE(result == CommandResult::kFailed || result == CommandResult::kWriteFailed) << result;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_EQ(server_->RequestCount(), 3u);
  EXPECT_TRUE(CommandInterfacePath(kKeyboardPid).empty());
}

TEST_F(SimulatorTest, CloseFromAnotherThread_CutsAWaitingExchangeShort) {
  TearDown();
  StartSimulator(Fault(FaultKind::kSilent));
  CommandChannel& channel = Connect(true);  // 5000 ms per transfer
  const uint64_t requests = server_->RequestCount();
  std::thread closer([&] {
    // Once the request has reached the device, the exchange waits for its reply.
    EXPECT_TRUE(WaitUntil([&] { return server_->RequestCount() > requests; }));
    channel.receiver_interface().Close();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(channel.BeginConfig(), CommandResult::kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  closer.join();
}

}  // namespace
}  // namespace zt640
