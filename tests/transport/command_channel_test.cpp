#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "transport/command_channel.h"
#include "transport/scripted_device.h"

namespace zt640 {
namespace {

using test::Report;
using test::ScriptedDevice;

CommandCode CommandOf(const Report& r) { return static_cast<CommandCode>(r.size() > 3 ? r[3] : 0); }
uint8_t LengthOf(const Report& r) { return r.size() > 4 ? r[4] : 0; }
uint16_t OffsetOf(const Report& r) { return r.size() > 6 ? r[5] | (r[6] << 8) : 0; }

/// Echoes every request with status 0 and data bytes equal to the low byte of
/// their address within the area (offset + index), so reads can be checked.
std::vector<Report> EchoWithAddressData(const Report& request) {
  std::vector<uint8_t> data(LengthOf(request));
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(OffsetOf(request) + i);
  return {ScriptedDevice::Echo(request, 0, data)};
}

class CommandChannelTest : public ::testing::Test {
 protected:
  void Connect(ScriptedDevice& device, int connection_type) {
    HidDevice& hid = connection_type == kConnectionReceiver ? channel_.receiver_interface()
                                                            : channel_.wired_interface();
    ASSERT_EQ(hid.Open(device.path(), true, true, true, false), HidDevice::kSuccess);
    channel_.SetConnectionType(connection_type);
    channel_.set_open(true);
  }

  CommandChannel channel_;
};

TEST_F(CommandChannelTest, ClosedChannel_RefusesEveryCommandWithoutTraffic) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  channel_.set_open(false);
  DeviceInfoRecord record;
  uint8_t settings[29];
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kFailed);
  EXPECT_EQ(channel_.ReadDeviceInfo(&record), CommandResult::kFailed);
  EXPECT_EQ(channel_.ReadSettings(0, settings), CommandResult::kFailed);
  EXPECT_EQ(channel_.ResetToDefaults(), CommandResult::kFailed);
  // No state shows a request that was never sent: give a stray one time to arrive.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(device.requests().empty());
}

TEST_F(CommandChannelTest, Transact_PadsShortRequestToSixtyFourBytes) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  const uint8_t request[8] = {0x04, 0x07, 0x00, CommandByte(CommandCode::kReadSettings), 0x01, 0x00, 0x00, 0x00};
  uint8_t reply[64];
  uint32_t read = 0;
  EXPECT_EQ(channel_.Transact(request, sizeof request, reply, sizeof reply, &read), CommandResult::kSuccess);
  EXPECT_EQ(read, 64u);
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 1u);
  ASSERT_EQ(requests[0].size(), 64u);
  EXPECT_EQ(Report(requests[0].begin(), requests[0].begin() + 8),
            Report(request, request + 8));
  for (size_t i = 8; i < 64; ++i) EXPECT_EQ(requests[0][i], 0) << i;
  EXPECT_FALSE(channel_.busy());
}

TEST_F(CommandChannelTest, ReadDeviceInfo_ChunksBySizeOfConnection) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionReceiver);
  DeviceInfoRecord record;
  ASSERT_EQ(channel_.ReadDeviceInfo(&record), CommandResult::kSuccess);
  auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(LengthOf(requests[0]), 24);
  EXPECT_EQ(OffsetOf(requests[0]), 0);
  EXPECT_EQ(LengthOf(requests[1]), 10);
  EXPECT_EQ(OffsetOf(requests[1]), 24);
  for (size_t i = 0; i < DeviceInfoRecord::kSize; ++i) EXPECT_EQ(record.bytes[i], i);

  channel_.SetConnectionType(kConnectionWired);
  channel_.wired_interface().Close();
  ASSERT_EQ(channel_.wired_interface().Open(device.path(), true, true, true, false), HidDevice::kSuccess);
  ASSERT_EQ(channel_.ReadDeviceInfo(&record), CommandResult::kSuccess);
  requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(LengthOf(requests[2]), 34);
}

TEST_F(CommandChannelTest, ChunkedWrite_SplitsAtChunkBoundary) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  std::vector<uint8_t> data(57);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);

  ASSERT_EQ(channel_.WriteSettings(0x40, std::span(data).first(56)), CommandResult::kSuccess);
  ASSERT_EQ(device.requests().size(), 1u);
  ASSERT_EQ(channel_.WriteSettings(0x40, data), CommandResult::kSuccess);
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(LengthOf(requests[1]), 56);
  EXPECT_EQ(OffsetOf(requests[1]), 0x40);
  EXPECT_EQ(LengthOf(requests[2]), 1);
  EXPECT_EQ(OffsetOf(requests[2]), 0x40 + 56);
  EXPECT_EQ(requests[2][8], data[56]);
  EXPECT_EQ(requests[1][8 + 55], data[55]);
  // The checksum covers the data that was copied in.
  unsigned sum = 0;
  for (size_t i = 3; i < 64; ++i) sum += requests[2][i];
  EXPECT_EQ(requests[2][1] | (requests[2][2] << 8), static_cast<int>(sum));

  ASSERT_EQ(channel_.WriteSettings(0, {}), CommandResult::kSuccess);
  EXPECT_EQ(device.requests().size(), 3u);
}

TEST_F(CommandChannelTest, Receiver_SkipsOneForeignReplyAndStopsAtNoDeviceAnswer) {
  int calls = 0;
  ScriptedDevice device([&calls](const Report& request) -> std::vector<Report> {
    ++calls;
    Report foreign = ScriptedDevice::Echo(request);
    foreign[3] = 0x33;
    if (CommandOf(request) == CommandCode::kBeginConfig) return {foreign, ScriptedDevice::Echo(request)};
    Report no_device = ScriptedDevice::Echo(request);
    no_device[3] = CommandPacket::kReceiverNoDeviceEcho;
    return {no_device, ScriptedDevice::Echo(request)};
  });
  Connect(device, kConnectionReceiver);
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kSuccess);
  EXPECT_EQ(channel_.EnableHostLighting(), CommandResult::kReceiverNoDevice);
}

TEST_F(CommandChannelTest, Wired_NoDeviceEchoIsOnlyAMismatch) {
  ScriptedDevice device([](const Report& request) -> std::vector<Report> {
    Report no_device = ScriptedDevice::Echo(request);
    no_device[3] = CommandPacket::kReceiverNoDeviceEcho;
    return {no_device, ScriptedDevice::Echo(request)};
  });
  Connect(device, kConnectionWired);
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kSuccess);
}

TEST_F(CommandChannelTest, TwoForeignReplies_FailInsteadOfPassingAnotherCommandsStatus) {
  ScriptedDevice device([](const Report& request) -> std::vector<Report> {
    Report first = ScriptedDevice::Echo(request);
    first[3] = CommandByte(CommandCode::kReadSettings);
    Report second = ScriptedDevice::Echo(request);
    second[3] = CommandByte(CommandCode::kWriteSettings);
    return {first, second};
  });
  Connect(device, kConnectionWired);
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kFailed);
}

TEST_F(CommandChannelTest, StatusBytes_MapToResultsAndStopMultiPacketTransfers) {
  ScriptedDevice device([](const Report& request) -> std::vector<Report> {
    if (CommandOf(request) == CommandCode::kBeginConfig) {
      return {ScriptedDevice::Echo(request, CommandPacket::kStatusRejected)};
    }
    if (CommandOf(request) == CommandCode::kEndConfig) {
      return {ScriptedDevice::Echo(request, CommandPacket::kStatusRefusedForNow)};
    }
    // Settings writes: the second packet is refused.
    return {ScriptedDevice::Echo(request, OffsetOf(request) == 0 ? 0x00 : CommandPacket::kStatusRejected)};
  });
  Connect(device, kConnectionReceiver);
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kRejected);
  EXPECT_EQ(channel_.EndConfig(), CommandResult::kRefusedForNow);
  std::vector<uint8_t> data(100, 0x11);
  EXPECT_EQ(channel_.WriteSettings(0, data), CommandResult::kRejected);
  EXPECT_EQ(device.requests().size(), 4u);  // two single packets, then 24 @ 0 and 24 @ 24
}

TEST_F(CommandChannelTest, KeyTable_LayerAndBlockSizeRules) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  std::vector<uint8_t> table(512, 0x20);
  EXPECT_EQ(channel_.WriteKeyTable(1, table), CommandResult::kBadLayer);
  EXPECT_EQ(channel_.SetBlockSize(513), CommandResult::kFailed);
  EXPECT_EQ(channel_.block_size(), 512);
  ASSERT_EQ(channel_.SetBlockSize(0), CommandResult::kSuccess);
  EXPECT_EQ(channel_.WriteKeyTable(0, table), CommandResult::kSuccess);
  EXPECT_EQ(channel_.ReadKeyTable(table), CommandResult::kSuccess);
  // No state shows a request that was never sent: give a stray one time to arrive.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(device.requests().empty());

  ASSERT_EQ(channel_.SetBlockSize(300), CommandResult::kSuccess);
  std::vector<uint8_t> light_map(100);
  ASSERT_EQ(channel_.ReadKeyLightMap(light_map), CommandResult::kSuccess);
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);  // 56 + 44
  EXPECT_EQ(CommandOf(requests[0]), CommandCode::kReadKeyLightMap);
  EXPECT_EQ(LengthOf(requests[0]) + LengthOf(requests[1]), 100);
  EXPECT_EQ(light_map[99], 99);
}

TEST_F(CommandChannelTest, ShootData_UsesFixedChunksEvenThroughReceiver) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionReceiver);
  std::vector<uint8_t> data(120, 0x5A);
  ASSERT_EQ(channel_.WriteShootData(data), CommandResult::kSuccess);
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(LengthOf(requests[0]), 56);
  EXPECT_EQ(LengthOf(requests[1]), 56);
  EXPECT_EQ(LengthOf(requests[2]), 8);
  EXPECT_EQ(OffsetOf(requests[2]), 112);
}

TEST_F(CommandChannelTest, StreamLightFrame_DropsPacketsWhileAnotherExchangeIsBusy) {
  ScriptedDevice device([](const Report& request) -> std::vector<Report> {
    // A slow reply keeps the channel busy while the frame is streamed.
    if (CommandOf(request) == CommandCode::kReadSettings) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return EchoWithAddressData(request);
  });
  Connect(device, kConnectionWired);
  std::thread slow([this] {
    uint8_t slot = 0;
    EXPECT_EQ(channel_.ReadSettings(0, std::span(&slot, 1)), CommandResult::kSuccess);
  });
  while (!channel_.busy()) std::this_thread::yield();
  std::vector<uint8_t> frame(378, 0x80);
  EXPECT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  slow.join();
  for (const Report& request : device.requests()) EXPECT_NE(CommandOf(request), CommandCode::kStreamLightFrame);

  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  size_t stream_packets = 0;
  for (const Report& request : device.requests()) {
    stream_packets += CommandOf(request) == CommandCode::kStreamLightFrame;
  }
  EXPECT_EQ(stream_packets, 7u);  // 6 x 56 + 42
}

TEST_F(CommandChannelTest, StreamLightFrame_SendsOnlyThePacketsTheDeviceDoesNotHold) {
  std::atomic<bool> refuse_offset_56{false};
  std::atomic<bool> ignore_offset_112{false};
  ScriptedDevice device([&](const Report& request) -> std::vector<Report> {
    const bool stream = CommandOf(request) == CommandCode::kStreamLightFrame;
    if (refuse_offset_56 && stream && OffsetOf(request) == 56) {
      return {ScriptedDevice::Echo(request, CommandPacket::kStatusRejected, {})};
    }
    if (ignore_offset_112 && stream && OffsetOf(request) == 112) return {};
    return EchoWithAddressData(request);
  });
  Connect(device, kConnectionWired);
  std::vector<uint8_t> frame(378, 0x10);
  size_t seen = 0;
  // The stream packets sent since the last call, by offset.
  const auto sent = [&] {
    std::vector<uint16_t> offsets;
    const std::vector<Report> requests = device.requests();
    for (; seen < requests.size(); ++seen) {
      if (CommandOf(requests[seen]) == CommandCode::kStreamLightFrame) offsets.push_back(OffsetOf(requests[seen]));
    }
    return offsets;
  };
  using Offsets = std::vector<uint16_t>;
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent(), (Offsets{0, 56, 112, 168, 224, 280, 336}));  // 6 x 56 + 42

  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent(), Offsets{});

  frame[150] = 0x20;  // inside the third packet
  frame[55] = frame[56] = 0x30;  // either side of the first boundary
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent(), (Offsets{0, 56, 112}));

  // Any other command may change what the keyboard shows: the next frame goes whole.
  uint8_t settings[4];
  ASSERT_EQ(channel_.ReadSettings(0, settings), CommandResult::kSuccess);
  (void)sent();
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent().size(), 7u);

  // A refused packet is not taken as held: it goes again with the next frame.
  frame[60] = 0x40;
  refuse_offset_56 = true;
  EXPECT_EQ(channel_.StreamLightFrame(frame), CommandResult::kRejected);
  EXPECT_EQ(sent(), Offsets{56});
  refuse_offset_56 = false;
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent(), Offsets{56});

  // A reply that never comes fails the frame, whose packets had all gone out
  // together; the next frame goes through.
  std::fill(frame.begin(), frame.end(), 0x50);
  ignore_offset_112 = true;
  EXPECT_EQ(channel_.StreamLightFrame(frame), CommandResult::kFailed);
  EXPECT_EQ(sent(), (Offsets{0, 56, 112, 168, 224, 280, 336}));
  ignore_offset_112 = false;
  frame[0] = 0x51;
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_FALSE(sent().empty());

  // A reopened channel may face a device that lost its frame.
  channel_.set_open(false);
  channel_.set_open(true);
  ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
  EXPECT_EQ(sent().size(), 7u);
}

// A frame's packets go out together and their replies come back after the
// last one: a command running beside the stream must never read one of them.
TEST_F(CommandChannelTest, StreamLightFrame_NeverMixesItsRepliesWithACommandBesideIt) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  std::atomic<bool> stop{false};
  std::thread stream([&] {
    std::vector<uint8_t> frame(378);
    for (uint8_t shade = 0; !stop; ++shade) {
      std::fill(frame.begin(), frame.end(), shade);
      ASSERT_EQ(channel_.StreamLightFrame(frame), CommandResult::kSuccess);
    }
  });
  for (uint16_t i = 0; i < 300 && !HasFailure(); ++i) {
    uint8_t settings[8] = {};
    const uint16_t offset = i % 20;
    ASSERT_EQ(channel_.ReadSettings(offset, settings), CommandResult::kSuccess) << "read " << i;
    for (uint16_t k = 0; k < 8; ++k) ASSERT_EQ(settings[k], static_cast<uint8_t>(offset + k)) << "read " << i;
  }
  stop = true;
  stream.join();
}

TEST_F(CommandChannelTest, QueryReceiverLink_AnswersByReplyByteEight) {
  uint8_t link_byte = 0xFF;
  uint8_t status = 0;
  ScriptedDevice device([&](const Report& request) -> std::vector<Report> {
    return {ScriptedDevice::Echo(request, status, {link_byte})};
  });
  Connect(device, kConnectionWired);
  EXPECT_TRUE(channel_.QueryReceiverLink());
  EXPECT_TRUE(device.requests().empty());

  channel_.SetConnectionType(kConnectionReceiver);
  ASSERT_EQ(channel_.receiver_interface().Open(device.path(), true, true, true, false), HidDevice::kSuccess);
  EXPECT_TRUE(channel_.QueryReceiverLink());
  link_byte = 0x00;
  EXPECT_FALSE(channel_.QueryReceiverLink());
  link_byte = 0xFF;
  status = CommandPacket::kStatusRefusedForNow;
  EXPECT_FALSE(channel_.QueryReceiverLink());
  EXPECT_EQ(CommandOf(device.requests().back()), CommandCode::kQueryReceiverLink);
}

TEST_F(CommandChannelTest, ResetToDefaults_GoesWiredWithChecksumBytesZero) {
  ScriptedDevice device(EchoWithAddressData);
  Connect(device, kConnectionWired);
  channel_.SetConnectionType(kConnectionReceiver);  // the reset ignores the connection type
  EXPECT_EQ(channel_.ResetToDefaults(), CommandResult::kSuccess);
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(CommandOf(requests[0]), CommandCode::kResetToDefaults);
  EXPECT_EQ(requests[0][1], 0);
  EXPECT_EQ(requests[0][2], 0);
}

TEST_F(CommandChannelTest, ReadPowerRecord_CopiesSixBytesAndKeepsOldRecordOnFailure) {
  bool refuse = false;
  ScriptedDevice device([&](const Report& request) -> std::vector<Report> {
    return {ScriptedDevice::Echo(request, refuse ? CommandPacket::kStatusRejected : 0, {76, 2, 9, 9, 9, 3, 9})};
  });
  Connect(device, kConnectionWired);
  PowerRecord record;
  ASSERT_EQ(channel_.ReadPowerRecord(&record), CommandResult::kSuccess);
  EXPECT_EQ(record.bytes, (std::array<uint8_t, 6>{76, 2, 9, 9, 9, 3}));
  EXPECT_EQ(LengthOf(device.requests()[0]), 6);
  refuse = true;
  PowerRecord kept = record;
  EXPECT_EQ(channel_.ReadPowerRecord(&record), CommandResult::kRejected);
  EXPECT_EQ(record.bytes, kept.bytes);
  uint8_t too_long[57];
  EXPECT_EQ(channel_.ReadStatus(0, too_long), CommandResult::kFailed);
}

TEST_F(CommandChannelTest, SilentOrVanishedDevice_FailsWithinTimeOut) {
  ScriptedDevice device([](const Report&) { return std::vector<Report>{}; });
  Connect(device, kConnectionWired);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(channel_.BeginConfig(), CommandResult::kFailed);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(3000));

  device.DropClients();
  const int result = channel_.BeginConfig();
  EXPECT_TRUE(result == CommandResult::kWriteFailed || result == CommandResult::kFailed)
      << result;
}

}  // namespace
}  // namespace zt640
