#include "devsim/mouse_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "devsim/receiver_model.h"
#include "packet_builder.h"
#include "transport/byte_order.h"

namespace zt640::devsim {
namespace {

using test::Request;

constexpr uint8_t kBegin = 0x01;
constexpr uint8_t kEnd = 0x02;
constexpr uint8_t kInfo = 0x03;
constexpr uint8_t kReadSettings = 0x05;
constexpr uint8_t kWriteSettings = 0x06;
constexpr uint8_t kReadKeys = 0x07;
constexpr uint8_t kWriteKeys = 0x09;
constexpr uint8_t kFrame = 0x12;
constexpr uint8_t kMacros = 0x15;
constexpr uint8_t kShoot = 0x17;
constexpr uint8_t kStatus = 0x1A;
constexpr uint8_t kLink = 0xAA;
constexpr uint8_t kOk = 0x00;
constexpr uint8_t kRefused = 0xFF;
constexpr uint8_t kNotNow = 0xFE;

// The logical buttons' factory values, as the host looks them up.
constexpr std::array<std::array<uint8_t, 3>, 11> kLogicalValues = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
}};
constexpr size_t kDpiCycle = 7;

using Send = std::function<DevicePacket(const DevicePacket&)>;

Send Direct(MouseModel& model) {
  return [&model](const DevicePacket& request) { return model.Handle(request).value(); };
}

Send ThroughReceiver(ReceiverModel& receiver) {
  return [&receiver](const DevicePacket& request) { return receiver.Handle(request).value(); };
}

// A chunked transfer as the host's channel moves it; the statuses of its packets.
std::vector<uint8_t> WriteChunked(const Send& send, uint8_t command, size_t offset,
                                  std::span<const uint8_t> data, size_t chunk) {
  std::vector<uint8_t> statuses;
  for (size_t done = 0; done < data.size(); done += chunk) {
    const size_t n = std::min(chunk, data.size() - done);
    const std::vector<uint8_t> piece(data.begin() + static_cast<std::ptrdiff_t>(done),
                                     data.begin() + static_cast<std::ptrdiff_t>(done + n));
    statuses.push_back(send(Request(command, static_cast<uint8_t>(n),
                                    static_cast<uint16_t>(offset + done), piece))
                           .Status());
  }
  return statuses;
}

std::optional<std::vector<uint8_t>> ReadChunked(const Send& send, uint8_t command, size_t offset,
                                                size_t length, size_t chunk) {
  std::vector<uint8_t> out;
  for (size_t done = 0; done < length; done += chunk) {
    const size_t n = std::min(chunk, length - done);
    const DevicePacket reply =
        send(Request(command, static_cast<uint8_t>(n), static_cast<uint16_t>(offset + done)));
    if (reply.Status() != kOk) return std::nullopt;
    const auto data = reply.Data().first(n);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

bool AllAccepted(const std::vector<uint8_t>& statuses) {
  return std::all_of(statuses.begin(), statuses.end(), [](uint8_t s) { return s == kOk; });
}

TEST(MouseModelTest, DeviceInfo_ReadInTwoReceiverChunks_CarriesSensorAndDpiScale) {
  MouseModel model;
  const auto info = ReadChunked(Direct(model), kInfo, 0, 34, 24);
  ASSERT_TRUE(info);
  EXPECT_EQ((*info)[5], 11);                          // key count
  EXPECT_EQ(LoadLe16(info->data() + 9), 0x3325);      // sensor
  EXPECT_EQ((*info)[11], 100);                        // step
  EXPECT_EQ(LoadLe16(info->data() + 12), 73);         // level maximum
  EXPECT_EQ(LoadLe16(info->data() + 14), 200);        // base
  // The two-slope scale of this sensor puts the top level at 10 000 DPI.
  const unsigned top = 100 * 48 + (73 - 48) * 200 + 200;
  EXPECT_EQ(top, 10000u);
  // The shoot patterns (4 guns of 180 events) fit the capacity.
  EXPECT_GE((*info)[6] * 128u, 16u + 6 * 4 + 4 * 4 * 180);
  EXPECT_EQ(model.Handle(Request(kInfo, 11, 24))->Status(), kRefused);
}

struct Case {
  const char* name;
  bool config_open;
  DevicePacket request;
  uint8_t status;
};

std::vector<uint8_t> StageLevel(uint16_t level) {
  std::vector<uint8_t> bytes(2);
  StoreLe16(bytes.data(), level);
  return bytes;
}

TEST(MouseModelTest, Requests_AcceptedOrRefusedAsFirmware) {
  DevicePacket bad_checksum = Request(kInfo, 8, 0);
  bad_checksum = DevicePacket([&] {
    auto bytes = test::Bytes(bad_checksum);
    bytes[1] ^= 1;
    return bytes;
  }());
  const std::vector<Case> cases = {
      {"bad checksum", false, bad_checksum, kRefused},
      {"colour pages read", false, Request(0x0A, 3, 0), kRefused},
      {"colour pages write", true, Request(0x0B, 3, 0, {1, 2, 3}), kRefused},
      {"factory reset", false, Request(0x0D), kRefused},
      {"key light map", false, Request(0x1B, 11, 0), kRefused},
      {"host lighting", false, Request(0x1C), kRefused},
      {"link query on the cable", false, Request(kLink), kRefused},
      {"length 57", false, Request(kInfo, 57, 0), kRefused},
      {"slot byte", false, Request(kReadSettings, 1, 0), kOk},
      {"record of the last slot", false, Request(kReadSettings, 15, 7 * 128 + 56), kOk},
      {"read past byte 70", false, Request(kReadSettings, 16, 56), kRefused},
      {"read past the eighth slot", false, Request(kReadSettings, 1, 8 * 128), kRefused},
      {"write up to byte 65", true, Request(kWriteSettings, 10, 56, std::vector<uint8_t>(10, 1)), kOk},
      {"write into byte 66", true, Request(kWriteSettings, 11, 56, std::vector<uint8_t>(11, 1)), kRefused},
      {"report rate 4", true, Request(kWriteSettings, 1, 11, {4}), kOk},
      {"report rate 5", true, Request(kWriteSettings, 1, 11, {5}), kRefused},
      {"current stage 5", true, Request(kWriteSettings, 1, 128 + 12, {5}), kRefused},
      {"stage enabled 2", true, Request(kWriteSettings, 1, 14, {2}), kRefused},
      {"stage X level 73", true, Request(kWriteSettings, 2, 14 + 2, StageLevel(73)), kOk},
      {"stage Y level 74", true, Request(kWriteSettings, 2, 14 + 9 * 4 + 4, StageLevel(74)), kRefused},
      {"active slot 7", true, Request(kWriteSettings, 1, 0, {7}), kOk},
      {"active slot 8", true, Request(kWriteSettings, 1, 0, {8}), kRefused},
      {"key table whole", false, Request(kReadKeys, 33, 0), kOk},
      {"key table past 11 keys", false, Request(kReadKeys, 1, 33), kRefused},
      {"key write past 11 keys", true, Request(kWriteKeys, 3, 31, {0x10, 1, 0}), kRefused},
      {"shoot piece at 56", true, Request(kShoot, 56, 56, std::vector<uint8_t>(56, 2)), kOk},
      {"shoot piece at 24", true, Request(kShoot, 24, 24, std::vector<uint8_t>(24, 2)), kRefused},
      {"macro past capacity", true, Request(kMacros, 20, 24 * 128 - 10, std::vector<uint8_t>(20)), kRefused},
      {"frame of 15 lights", false, Request(kFrame, 45, 0, std::vector<uint8_t>(45, 9)), kOk},
      {"frame past 15 lights", false, Request(kFrame, 45, 1, std::vector<uint8_t>(45, 9)), kRefused},
      {"power record", false, Request(kStatus, 6, 0), kOk},
      {"power record past 6", false, Request(kStatus, 7, 0), kRefused},
      {"settings outside a sequence", false, Request(kWriteSettings, 1, 11, {1}), kNotNow},
      {"keys outside a sequence", false, Request(kWriteKeys, 3, 0, {0x10, 1, 0}), kNotNow},
      {"macros outside a sequence", false, Request(kMacros, 4, 0, {0xAA, 0x55, 4, 0}), kNotNow},
      {"shoot outside a sequence", false, Request(kShoot, 4, 0, {0xAA, 0x55, 4, 0}), kNotNow},
  };
  for (const Case& c : cases) {
    MouseModel model;
    if (c.config_open) {
      ASSERT_EQ(model.Handle(Request(kBegin))->Status(), kOk);
    }
    const auto settings = model.Area(MouseArea::kSettings);
    const auto keys = model.Area(MouseArea::kKeyTable);
    const DevicePacket reply = model.Handle(c.request).value();
    EXPECT_EQ(reply.Status(), c.status) << c.name;
    EXPECT_TRUE(reply.ChecksumValid()) << c.name;
    EXPECT_EQ(reply.Command(), c.request.Command()) << c.name;
    if (c.status != kOk) {
      EXPECT_EQ(model.Area(MouseArea::kSettings), settings) << c.name;
      EXPECT_EQ(model.Area(MouseArea::kKeyTable), keys) << c.name;
    }
  }
}

// The 66-byte record the host writes, laid out field by field.
std::vector<uint8_t> HostRecord() {
  std::vector<uint8_t> record(66, 0);
  record[0] = 0;  // slot, written as 0
  record[1] = 4;  // mode code
  record[2] = 3;  // brightness
  record[3] = 4 - 1;
  record[4] = 1;  // direction
  record[5] = 0;  // multicolour
  record[6] = 0x12;
  record[7] = 0x34;
  record[8] = 0x56;
  record[11] = 2;  // report rate
  record[12] = 4;  // current stage
  for (size_t i = 0; i < 5; ++i) {
    uint8_t* stage = record.data() + 14 + 9 * i;
    stage[0] = i == 3 ? 0 : 1;
    stage[1] = i == 2 ? 1 : 0;
    StoreLe16(stage + 2, static_cast<uint16_t>(10 * i + 3));
    StoreLe16(stage + 4, static_cast<uint16_t>(73 - i));
    stage[6] = static_cast<uint8_t>(i);
    stage[7] = static_cast<uint8_t>(0x80 + i);
    stage[8] = 0xFF;
  }
  record[59] = 1;
  StoreLe16(record.data() + 60, 2560);
  StoreLe16(record.data() + 62, 1440);
  record[64] = 24;
  record[65] = 6;
  return record;
}

class MouseSettingsRoundTrip : public ::testing::TestWithParam<size_t> {};

TEST_P(MouseSettingsRoundTrip, WrittenRecordReadsBackWithFirmwareTail) {
  MouseModel model;
  ReceiverModel receiver(model);
  const size_t chunk = GetParam();
  const Send send = chunk == 24 ? ThroughReceiver(receiver) : Direct(model);
  const auto factory = model.Area(MouseArea::kSettings);
  for (const size_t slot : {size_t{3}, size_t{0}}) {
    ASSERT_EQ(send(Request(kBegin)).Status(), kOk);
    EXPECT_TRUE(AllAccepted(WriteChunked(send, kWriteSettings, slot * 128, HostRecord(), chunk)));
    ASSERT_EQ(send(Request(kEnd)).Status(), kOk);
  }
  const auto active = ReadChunked(send, kReadSettings, 0, 1, chunk);
  ASSERT_TRUE(active);
  EXPECT_EQ((*active)[0], 0);
  for (const size_t slot : {size_t{0}, size_t{3}}) {
    const auto record = ReadChunked(send, kReadSettings, slot * 128, 71, chunk);
    ASSERT_TRUE(record);
    const auto host = HostRecord();
    EXPECT_TRUE(std::equal(host.begin(), host.end(), record->begin())) << slot;
    // Bytes 66-70 are the firmware's own and survive the write.
    EXPECT_TRUE(std::equal(record->begin() + 66, record->end(),
                           factory.begin() + static_cast<std::ptrdiff_t>(slot * 128 + 66)));
  }
  EXPECT_EQ(model.CurrentStage(), 4);
  EXPECT_EQ(model.WritesOutsideConfig(), 0u);
}

INSTANTIATE_TEST_SUITE_P(WiredAndReceiver, MouseSettingsRoundTrip, ::testing::Values(56, 24));

class MouseKeyTable : public ::testing::TestWithParam<MouseVariant> {};

TEST_P(MouseKeyTable, EveryButtonFoundOnceInAnOrderOfItsOwn) {
  MouseModel model(MouseModelConfig{GetParam()});
  const bool has_cycle = GetParam() == MouseVariant::kElevenButtons;
  const size_t keys = has_cycle ? 11 : 10;
  EXPECT_EQ(model.Area(MouseArea::kDeviceInfo)[5], keys);
  const auto table = ReadChunked(Direct(model), kReadKeys, 0, 3 * keys, 56);
  ASSERT_TRUE(table);
  std::vector<size_t> position_of;
  for (size_t j = 0; j < kLogicalValues.size(); ++j) {
    size_t found = keys;
    for (size_t k = 0; k < keys && found == keys; ++k) {
      if (std::equal(kLogicalValues[j].begin(), kLogicalValues[j].end(),
                     table->begin() + static_cast<std::ptrdiff_t>(3 * k))) {
        found = k;
      }
    }
    if (j == kDpiCycle && !has_cycle) {
      EXPECT_EQ(found, keys) << "the DPI-cycle button is missing on this mouse";
      continue;
    }
    ASSERT_LT(found, keys) << "logical button " << j;
    position_of.push_back(found);
  }
  auto sorted = position_of;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_FALSE(std::is_sorted(position_of.begin(), position_of.end()))
      << "device order must differ from logical order";
}

INSTANTIATE_TEST_SUITE_P(Variants, MouseKeyTable,
                         ::testing::Values(MouseVariant::kElevenButtons, MouseVariant::kNoDpiCycle));

// A block of the on-device table layout: marker, total, count, 16-byte header,
// one offset per entry, then per entry its event count, 2 spare bytes, 4 bytes per event.
std::vector<uint8_t> Block(const std::vector<size_t>& event_counts) {
  size_t total = 16 + 2 * event_counts.size();
  for (size_t n : event_counts) total += 4 + 4 * n;
  std::vector<uint8_t> block(total, 0);
  StoreLe16(block.data(), 0x55AA);
  StoreLe16(block.data() + 2, static_cast<uint16_t>(total));
  StoreLe16(block.data() + 4, static_cast<uint16_t>(event_counts.size()));
  size_t at = 16 + 2 * event_counts.size();
  for (size_t i = 0; i < event_counts.size(); ++i) {
    StoreLe16(block.data() + 16 + 2 * i, static_cast<uint16_t>(at));
    StoreLe16(block.data() + at, static_cast<uint16_t>(event_counts[i]));
    for (size_t e = 0; e < event_counts[i]; ++e) {
      block[at + 4 + 4 * e] = static_cast<uint8_t>(e + 1);
      block[at + 4 + 4 * e + 2] = 0x81;
      block[at + 4 + 4 * e + 3] = static_cast<uint8_t>(i);
    }
    at += 4 + 4 * event_counts[i];
  }
  return block;
}

struct BlockWrite {
  const char* name;
  uint8_t command;
  std::vector<size_t> events;
  size_t chunk;
  bool through_receiver;
  bool accepted;
};

TEST(MouseModelTest, MacroAndShootBlocks_StoredChunkByChunk) {
  const std::vector<BlockWrite> writes = {
      {"macros wired", kMacros, {3, 7}, 56, false, true},
      {"macros over the receiver", kMacros, {3, 7}, 24, true, true},
      {"macros in 56-byte pieces over the receiver", kMacros, {3, 7}, 56, true, false},
      {"shoot data wired", kShoot, {180, 180, 180, 180}, 56, false, true},
      {"shoot data over the receiver keeps its 56-byte pieces", kShoot, {180, 180, 180, 180}, 56,
       true, true},
  };
  for (const BlockWrite& w : writes) {
    MouseModel model;
    ReceiverModel receiver(model, true, std::array<uint8_t, 1>{kShoot});
    const Send send = w.through_receiver ? ThroughReceiver(receiver) : Direct(model);
    const auto block = Block(w.events);
    ASSERT_EQ(send(Request(kBegin)).Status(), kOk);
    const auto statuses = WriteChunked(send, w.command, 0, block, w.chunk);
    ASSERT_EQ(send(Request(kEnd)).Status(), kOk);
    EXPECT_EQ(statuses.size(), (block.size() + w.chunk - 1) / w.chunk) << w.name;
    EXPECT_EQ(AllAccepted(statuses), w.accepted) << w.name;
    const auto area = model.Area(w.command == kMacros ? MouseArea::kMacros : MouseArea::kShootData);
    EXPECT_EQ(area.size(), 24u * 128) << w.name;
    const bool stored = std::equal(block.begin(), block.end(), area.begin());
    EXPECT_EQ(stored, w.accepted) << w.name;
    EXPECT_TRUE(std::all_of(area.begin() + static_cast<std::ptrdiff_t>(block.size()), area.end(),
                            [](uint8_t b) { return b == 0; }))
        << w.name;
  }
}

TEST(MouseModelTest, Receiver_AnswersLinkAndStandsInForASwitchedOffMouse) {
  MouseModel model;
  ReceiverModel receiver(model, true);
  DevicePacket link = receiver.Handle(Request(kLink)).value();
  EXPECT_EQ(link.Status(), kOk);
  EXPECT_EQ(link.Data()[0], 0xFF);
  EXPECT_EQ(receiver.Handle(Request(kStatus, 6, 0))->Data()[0], 85);

  receiver.SetDevicePowered(false);
  link = receiver.Handle(Request(kLink)).value();
  EXPECT_EQ(link.Status(), kOk);
  EXPECT_EQ(link.Data()[0], 0x00);
  const DevicePacket answer = receiver.Handle(Request(kBegin)).value();
  EXPECT_EQ(answer.Command(), kLink);
  EXPECT_EQ(answer.Data()[0], 0x00);
  EXPECT_FALSE(model.ConfigOpen());
}

TEST(MouseModelTest, SelectStage_OnlyAnEnabledStageOfFive) {
  MouseModel model;
  EXPECT_TRUE(model.SelectStage(4));
  EXPECT_EQ(model.CurrentStage(), 4);
  EXPECT_FALSE(model.SelectStage(5));
  ASSERT_EQ(model.Handle(Request(kBegin))->Status(), kOk);
  ASSERT_EQ(model.Handle(Request(kWriteSettings, 1, 14 + 9 * 2, {0}))->Status(), kOk);
  EXPECT_FALSE(model.SelectStage(2));
  EXPECT_EQ(model.CurrentStage(), 4);
  EXPECT_TRUE(model.SelectSlot(5));
  EXPECT_EQ(model.ActiveSlot(), 5);
  EXPECT_TRUE(model.SelectStage(2)) << "slot 5 keeps its own stages";
  EXPECT_FALSE(model.SelectSlot(8));
}

}  // namespace
}  // namespace zt640::devsim
