#include <gtest/gtest.h>

#include "transport/command_packet.h"
#include "transport/device_info_record.h"
#include "transport/packet_dump.h"
#include "transport/power_record.h"

namespace zt640 {
namespace {

TEST(CommandPacket_Request, SetsHeaderFieldsAndChecksum) {
  const auto packet = CommandPacket::Request(CommandCode::kReadSettings, 29, 0x0123);
  EXPECT_EQ(packet.bytes[0], 0x04);
  EXPECT_EQ(packet.bytes[3], 0x05);  // the read-settings command on the wire
  EXPECT_EQ(packet.bytes[4], 29);
  EXPECT_EQ(packet.bytes[5], 0x23);
  EXPECT_EQ(packet.bytes[6], 0x01);
  EXPECT_EQ(packet.bytes[7], 0);
  const unsigned sum = 0x05 + 29 + 0x23 + 0x01;
  EXPECT_EQ(packet.bytes[1], sum & 0xFF);
  EXPECT_EQ(packet.bytes[2], sum >> 8);
}

TEST(CommandPacket_Checksum, AllOnesFromByteThreeIsMaximum) {
  CommandPacket packet;
  for (size_t i = 3; i < CommandPacket::kSize; ++i) packet.bytes[i] = 0xFF;
  packet.UpdateChecksum();
  EXPECT_EQ(packet.checksum(), 15555);
  EXPECT_EQ(packet.bytes[1], 0xC3);
  EXPECT_EQ(packet.bytes[2], 0x3C);
}

TEST(CommandPacket_Checksum, IgnoresReportIdAndChecksumBytes) {
  auto packet = CommandPacket::Request(CommandCode::kBeginConfig);
  packet.bytes[0] = 0x99;
  packet.bytes[1] = 0x42;
  packet.bytes[2] = 0x42;
  EXPECT_EQ(packet.ComputeChecksum(), 0x01);
}

TEST(PacketDump, GroupsBytesAsTheDiagnosticsShowThem) {
  uint8_t bytes[64];
  for (int i = 0; i < 64; ++i) bytes[i] = static_cast<uint8_t>(i);
  const std::string expected =
      "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
      "18 19 1a 1b  1c 1d 1e 1f\n"
      "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  30 31 32 33  34 35 36 37  "
      "38 39 3a 3b  3c 3d 3e 3f";
  EXPECT_EQ(FormatPacketDump(bytes), expected);
}

TEST(DeviceInfoRecord_Fields, DecodeLittleEndianWords) {
  DeviceInfoRecord record;
  record.bytes[5] = 126;
  record.bytes[6] = 8;
  record.bytes[9] = 0x25;
  record.bytes[10] = 0x33;
  record.bytes[11] = 50;
  record.bytes[12] = 0x40;
  record.bytes[13] = 0x01;
  record.bytes[14] = 0x64;
  record.bytes[15] = 0x00;
  EXPECT_EQ(record.key_count(), 126);
  EXPECT_EQ(record.macro_capacity_bytes(), 1024u);
  EXPECT_EQ(record.sensor(), 0x3325);
  EXPECT_EQ(record.dpi_step(), 50);
  EXPECT_EQ(record.dpi_max(), 320);
  EXPECT_EQ(record.dpi_base(), 100);
}

TEST(PowerRecord_Fields, ReadTheirBytes) {
  PowerRecord record;
  record.bytes = {87, 1, 0, 1, 0, 2};
  EXPECT_EQ(record.battery_percent(), 87);
  EXPECT_EQ(record.charge_state(), 1);
  EXPECT_EQ(record.via_receiver(), 1);
  EXPECT_EQ(record.phone_type(), 2);
}

}  // namespace
}  // namespace zt640
