#include "devsim/keyboard_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "devsim/keyboard_factory_image.h"
#include "packet_builder.h"

namespace zt640::devsim {
namespace {

using test::Bytes;
using test::Padded;
using test::Request;
using Image = KeyboardFactoryImage;

class KeyboardModelTest : public ::testing::Test {
 protected:
  DevicePacket Send(const DevicePacket& request) {
    const auto reply = model_.Handle(request);
    EXPECT_TRUE(reply.has_value());
    return reply.value_or(DevicePacket());
  }

  KeyboardModel model_;
};

TEST_F(KeyboardModelTest, ReadDeviceInfo_FirstChunkExactBytes) {
  const DevicePacket reply = Send(Request(0x03, 24, 0));
  EXPECT_EQ(Bytes(reply), Padded({0x04, 0x40, 0x01, 0x03, 0x18, 0x00, 0x00, 0x00,
                                  0x01, 0x03, 0x01, 0x01, 0x04, 0x84, 0x10, 0x84,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x03}));
}

TEST_F(KeyboardModelTest, ReadDeviceInfo_SecondChunkEndsAtByte34) {
  const DevicePacket reply = Send(Request(0x03, 10, 24));
  EXPECT_EQ(reply.Status(), 0x00);
  EXPECT_EQ(reply.Offset(), 24);
  EXPECT_TRUE(reply.ChecksumValid());
  EXPECT_EQ(Send(Request(0x03, 11, 24)).Status(), 0xFF);
}

TEST_F(KeyboardModelTest, FirmwareVersionComesFromConfig) {
  KeyboardModel model(KeyboardModelConfig{0x0200, 50, 1});
  const auto info = model.Area(KeyboardArea::kDeviceInfo);
  EXPECT_EQ(info[1], 0x00);
  EXPECT_EQ(info[2], 0x02);
  EXPECT_EQ(model.Area(KeyboardArea::kPowerRecord),
            (std::vector<uint8_t>{50, 1, 0, 0, 0, 0}));
}

TEST_F(KeyboardModelTest, RefusedReplyEchoesRequestWithStatusFf) {
  const DevicePacket reply = Send(Request(0x07, 10, 3 * Image::kKeyCount - 9));
  EXPECT_EQ(Bytes(reply), Padded({0x04, 0x94, 0x01, 0x07, 0x0A, 0x83, 0x01, 0xFF}));
}

struct AreaEnd {
  uint8_t read_command;
  uint8_t write_command;  ///< 0: the area is read-only
  KeyboardArea area;
};

class KeyboardModelAreaEnd : public ::testing::TestWithParam<AreaEnd> {};

TEST_P(KeyboardModelAreaEnd, AccessUpToEndAcceptedOneBeyondRefused) {
  KeyboardModel model;
  const AreaEnd& param = GetParam();
  const size_t size = model.Area(param.area).size();
  const uint8_t length = static_cast<uint8_t>(std::min<size_t>(size, 20));
  const uint16_t last = static_cast<uint16_t>(size - length);
  const std::vector<uint8_t> data(length, 0x5A);
  if (param.read_command != 0) {
    EXPECT_EQ(model.Handle(Request(param.read_command, length, last))->Status(), 0x00);
    EXPECT_EQ(model.Handle(Request(param.read_command, length, last + 1))->Status(), 0xFF);
    EXPECT_EQ(model.Handle(Request(param.read_command, 1, 0xFFFF))->Status(), 0xFF);
  }
  if (param.write_command != 0) {
    ASSERT_EQ(model.Handle(Request(0x01))->Status(), 0x00);
    const auto before = model.Area(param.area);
    EXPECT_EQ(model.Handle(Request(param.write_command, length, last + 1, data))->Status(), 0xFF);
    EXPECT_EQ(model.Area(param.area), before) << "a refused write changes nothing";
    EXPECT_EQ(model.Handle(Request(param.write_command, length, last, data))->Status(), 0x00);
    const auto after = model.Area(param.area);
    EXPECT_TRUE(std::all_of(after.end() - length, after.end(), [](uint8_t b) { return b == 0x5A; }));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Areas, KeyboardModelAreaEnd,
    ::testing::Values(AreaEnd{0x03, 0, KeyboardArea::kDeviceInfo},
                      AreaEnd{0x05, 0x06, KeyboardArea::kSettings},
                      AreaEnd{0x07, 0x09, KeyboardArea::kKeyTable},
                      AreaEnd{0x1B, 0, KeyboardArea::kKeyLightMap},
                      AreaEnd{0x0A, 0x0B, KeyboardArea::kColourPages},
                      AreaEnd{0, 0x15, KeyboardArea::kMacros},
                      AreaEnd{0, 0x17, KeyboardArea::kShootData},
                      AreaEnd{0x1A, 0, KeyboardArea::kPowerRecord},
                      AreaEnd{0, 0x12, KeyboardArea::kLiveFrame}));

TEST_F(KeyboardModelTest, WrittenDataReadsBack) {
  const std::vector<uint8_t> record = {0, 5, 3, 1, 0, 1, 10, 20, 30};
  ASSERT_EQ(Send(Request(0x01)).Status(), 0x00);
  EXPECT_EQ(Send(Request(0x06, 9, 29, record)).Status(), 0x00);
  const DevicePacket reply = Send(Request(0x05, 9, 29));
  EXPECT_TRUE(std::equal(record.begin(), record.end(), reply.Data().begin()));
  EXPECT_EQ(model_.Area(KeyboardArea::kSettings)[29 + 1], 5);
}

TEST_F(KeyboardModelTest, KeyTableWriteBeyondLayerZeroRefused) {
  ASSERT_EQ(Send(Request(0x01)).Status(), 0x00);
  EXPECT_EQ(Send(Request(0x09, 3, 512, {0x20, 0, 0x04})).Status(), 0xFF);
}

TEST_F(KeyboardModelTest, LengthAbove56Refused) {
  ASSERT_EQ(Send(Request(0x01)).Status(), 0x00);
  EXPECT_EQ(Send(Request(0x15, 57, 0)).Status(), 0xFF);
  EXPECT_EQ(Send(Request(0x01, 57, 0)).Status(), 0xFF);
  EXPECT_EQ(Send(Request(0x15, 56, 0)).Status(), 0x00);
}

TEST_F(KeyboardModelTest, BadChecksumRefusedAndNotApplied) {
  DevicePacket request = Request(0x06, 1, 0, {3});
  std::vector<uint8_t> bytes = Bytes(request);
  bytes[1] ^= 0x01;
  EXPECT_EQ(Send(DevicePacket(bytes)).Status(), 0xFF);
  EXPECT_EQ(model_.Area(KeyboardArea::kSettings)[0], 0);
}

TEST_F(KeyboardModelTest, UnknownCommandRefused) {
  for (uint8_t command : {0x00, 0x04, 0x08, 0x0C, 0x13, 0x1D, 0xAA, 0xFF}) {
    EXPECT_EQ(Send(Request(command)).Status(), 0xFF) << int(command);
  }
}

TEST_F(KeyboardModelTest, NonCommandReportIgnored) {
  std::vector<uint8_t> bytes = Bytes(Request(0x01));
  bytes[0] = 0x03;
  EXPECT_FALSE(model_.Handle(DevicePacket(bytes)).has_value());
}

TEST_F(KeyboardModelTest, ConfigAndHostLightingFlags) {
  EXPECT_EQ(Bytes(Send(Request(0x01))), Padded({0x04, 0x01, 0x00, 0x01}));
  EXPECT_TRUE(model_.ConfigOpen());
  EXPECT_EQ(Send(Request(0x02)).Status(), 0x00);
  EXPECT_FALSE(model_.ConfigOpen());
  EXPECT_EQ(Send(Request(0x1C)).Status(), 0x00);
  EXPECT_TRUE(model_.HostLightingEnabled());
}

struct GatedWrite {
  uint8_t command;
  KeyboardArea area;
  bool needs_config;  ///< stored configuration: refused (0xFE) outside 0x01/0x02
};

class KeyboardModelConfigSequence : public ::testing::TestWithParam<GatedWrite> {};

TEST_P(KeyboardModelConfigSequence, ConfigurationWritesOnlyInsideBeginAndEnd) {
  KeyboardModel model;
  const GatedWrite& param = GetParam();
  const std::vector<uint8_t> data = {0x11, 0x22, 0x33};
  const auto write = [&](uint16_t offset) { return model.Handle(Request(param.command, 3, offset, data))->Status(); };
  const auto stored_at = [&](size_t offset) { return model.Area(param.area)[offset]; };
  const uint8_t before = stored_at(4);

  EXPECT_EQ(write(3), param.needs_config ? 0xFE : 0x00) << "before 0x01";
  EXPECT_EQ(stored_at(4), param.needs_config ? before : 0x22);

  ASSERT_EQ(model.Handle(Request(0x01))->Status(), 0x00);
  EXPECT_EQ(write(6), 0x00) << "inside the sequence";
  EXPECT_EQ(stored_at(7), 0x22);
  ASSERT_EQ(model.Handle(Request(0x02))->Status(), 0x00);

  const auto after_end = model.Area(param.area);
  EXPECT_EQ(write(9), param.needs_config ? 0xFE : 0x00) << "after 0x02";
  EXPECT_EQ(model.Area(param.area) == after_end, param.needs_config);
  EXPECT_EQ(model.WritesOutsideConfig(), param.needs_config ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, KeyboardModelConfigSequence,
    ::testing::Values(GatedWrite{0x06, KeyboardArea::kSettings, true},
                      GatedWrite{0x09, KeyboardArea::kKeyTable, true},
                      GatedWrite{0x15, KeyboardArea::kMacros, true},
                      GatedWrite{0x17, KeyboardArea::kShootData, true},
                      GatedWrite{0x0B, KeyboardArea::kColourPages, false},
                      GatedWrite{0x12, KeyboardArea::kLiveFrame, false}));

TEST_F(KeyboardModelTest, ReadsAndCommandsNeedNoSequence) {
  for (uint8_t command : {0x03, 0x05, 0x07, 0x0A, 0x1A, 0x1B}) {
    EXPECT_EQ(Send(Request(command, 4, 0)).Status(), 0x00) << int(command);
  }
  EXPECT_EQ(Send(Request(0x1C)).Status(), 0x00);
  EXPECT_EQ(Send(DevicePacket(Padded({0x04, 0x00, 0x00, 0x0D}))).Status(), 0x00);
  EXPECT_EQ(model_.WritesOutsideConfig(), 0u);
}

TEST_F(KeyboardModelTest, ResetWithZeroChecksumRestoresFactory) {
  ASSERT_EQ(Send(Request(0x01)).Status(), 0x00);
  ASSERT_EQ(Send(Request(0x09, 3, 0, {0x70, 0x00, 0x01})).Status(), 0x00);
  ASSERT_EQ(Send(Request(0x0B, 3, 512, {1, 2, 3})).Status(), 0x00);
  ASSERT_EQ(Send(Request(0x15, 2, 0, {0xAA, 0x55})).Status(), 0x00);
  ASSERT_EQ(Send(Request(0x1C)).Status(), 0x00);
  model_.SetPower(40, 1);

  const DevicePacket reset(Padded({0x04, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(Bytes(Send(reset)), Padded({0x04, 0x0D, 0x00, 0x0D}));
  for (KeyboardArea area : {KeyboardArea::kKeyTable, KeyboardArea::kColourPages,
                            KeyboardArea::kMacros, KeyboardArea::kSettings}) {
    EXPECT_EQ(model_.Area(area), model_.FactoryArea(area));
  }
  EXPECT_FALSE(model_.HostLightingEnabled());
  EXPECT_FALSE(model_.ConfigOpen()) << "a reset closes the open sequence";
  EXPECT_EQ(model_.Area(KeyboardArea::kPowerRecord)[0], 40) << "a reset does not recharge";
}

TEST_F(KeyboardModelTest, ResetWithWrongNonZeroChecksumRefused) {
  const DevicePacket reset(Padded({0x04, 0x01, 0x00, 0x0D}));
  EXPECT_EQ(Send(reset).Status(), 0xFF);
}

TEST_F(KeyboardModelTest, LiveColourOfKeyFollowsTheKeyLightMap) {
  // A 378-byte frame (126 positions): position p carries p, p + 1, p + 2.
  std::vector<uint8_t> frame(378);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i / 3 + i % 3);
  for (uint16_t offset = 0; offset < frame.size(); offset += 56) {
    const size_t n = std::min<size_t>(56, frame.size() - offset);
    const std::vector<uint8_t> chunk(frame.begin() + offset, frame.begin() + offset + static_cast<long>(n));
    ASSERT_EQ(Send(Request(0x12, static_cast<uint8_t>(n), offset, chunk)).Status(), 0x00);
  }
  const auto map = model_.Area(KeyboardArea::kKeyLightMap);
  size_t lit = 0;
  for (size_t k = 0; k < Image::kKeyCount; ++k) {
    const auto colour = model_.LiveColourOfKey(k);
    if (map[k] < 126) {
      ++lit;
      EXPECT_EQ(colour, (std::array<uint8_t, 3>{map[k], uint8_t(map[k] + 1), uint8_t(map[k] + 2)})) << "key " << k;
    } else {
      EXPECT_EQ(colour, (std::array<uint8_t, 3>{})) << "key " << k << " lies beyond the frame";
    }
  }
  EXPECT_EQ(lit, 126u) << "every position of the frame lights one key";
  EXPECT_EQ(model_.LiveColourOfKey(Image::kKeyCount), (std::array<uint8_t, 3>{}));
}

TEST_F(KeyboardModelTest, LiveFrameStored) {
  EXPECT_EQ(Send(Request(0x12, 6, 3, {1, 2, 3, 4, 5, 6})).Status(), 0x00);
  const auto frame = model_.Area(KeyboardArea::kLiveFrame);
  EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 3, frame.begin() + 9),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(KeyboardModelTest, SelectSlotOnlyForExistingSlots) {
  EXPECT_TRUE(model_.SelectSlot(3));
  EXPECT_EQ(model_.Area(KeyboardArea::kSettings)[0], 3);
  EXPECT_FALSE(model_.SelectSlot(4));
  EXPECT_EQ(model_.Area(KeyboardArea::kSettings)[0], 3);
}

TEST(KeyboardFactoryImageTest, KeyTableHoldsEveryPanelValueAndDeviceOnlyKeys) {
  const auto table = Image::KeyTable();
  const auto& panel = Image::PanelFactoryValues();
  ASSERT_EQ(table.size(), 3 * Image::kKeyCount);
  EXPECT_LE(table.size(), 512u);
  std::multiset<Image::KeyValue> device_values;
  for (size_t k = 0; k < Image::kKeyCount; ++k) {
    device_values.insert({table[3 * k], table[3 * k + 1], table[3 * k + 2]});
  }
  std::multiset<Image::KeyValue> panel_values(panel.begin(), panel.end());
  for (const auto& value : panel_values) {
    EXPECT_EQ(device_values.count(value), panel_values.count(value));
  }
  size_t device_only = 0;
  for (size_t k = 0; k < Image::kKeyCount; ++k) {
    const Image::KeyValue value = {table[3 * k], table[3 * k + 1], table[3 * k + 2]};
    const int panel_key = Image::PanelKeyOfDeviceKey(k);
    if (panel_key < 0) {
      ++device_only;
      EXPECT_EQ(panel_values.count(value), 0u) << "device key " << k;
    } else {
      EXPECT_EQ(value, panel[static_cast<size_t>(panel_key)]) << "device key " << k;
    }
  }
  EXPECT_EQ(device_only, Image::kKeyCount - Image::kPanelKeyCount);
  EXPECT_NE(Image::PanelKeyOfDeviceKey(1), 1) << "device order differs from panel order";
}

TEST(KeyboardFactoryImageTest, LightMapPositionsDistinctAndBelow170) {
  const auto map = Image::KeyLightMap();
  ASSERT_EQ(map.size(), Image::kKeyCount);
  EXPECT_EQ(std::set<uint8_t>(map.begin(), map.end()).size(), map.size());
  EXPECT_LT(*std::max_element(map.begin(), map.end()), 170);
}

// The streamed frame is 378 bytes, 126 positions: the panel's keys must cover all of
// them, the last one included, and not simply in panel order.
TEST(KeyboardFactoryImageTest, PanelKeysCoverEveryPositionOfTheStreamedFrame) {
  const auto map = Image::KeyLightMap();
  std::set<uint8_t> panel_positions;
  size_t in_panel_order = 0;
  for (size_t k = 0; k < Image::kKeyCount; ++k) {
    const int panel = Image::PanelKeyOfDeviceKey(k);
    if (panel < 0) {
      EXPECT_GE(map[k], 126) << "device-only key " << k;
      continue;
    }
    panel_positions.insert(map[k]);
    if (map[k] == panel) ++in_panel_order;
  }
  ASSERT_EQ(panel_positions.size(), 126u);
  EXPECT_EQ(*panel_positions.begin(), 0);
  EXPECT_EQ(*panel_positions.rbegin(), 125);
  EXPECT_LT(in_panel_order, 20u);
}

TEST(KeyboardFactoryImageTest, SettingsRecordsPerSlot) {
  const auto settings = Image::Settings();
  ASSERT_EQ(settings.size(), Image::kSettingsSlots * 29);
  EXPECT_EQ(settings[0], 0) << "active slot";
  EXPECT_EQ(settings[29 * 2], 2);
  EXPECT_EQ(settings[29 * 2 + 2], 4) << "brightness";
}

}  // namespace
}  // namespace zt640::devsim
