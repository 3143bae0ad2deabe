#include <gtest/gtest.h>

#include <array>

#include "platform/hid/hid_report_decoder.h"
#include "platform/hid/report_descriptor_parser.h"
#include "platform/hid_fake_sysfs.h"

namespace zt640::platform {
namespace {

using zt640::test::HexBytes;

HidCollection Only(const std::string& hex) {
  ReportDescriptorParseResult result = ReportDescriptorParser::Parse(HexBytes(hex));
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.collections.size(), 1u);
  return result.collections.empty() ? HidCollection{} : result.collections.front();
}

std::vector<uint16_t> Usages(const HidCollection& collection, uint16_t page,
                             const std::vector<uint8_t>& report, HidStatus* status = nullptr) {
  std::array<uint16_t, 32> buffer{};
  uint32_t count = 0;
  const HidStatus result = HidReportDecoder::GetUsages(collection, HidReportType::kInput, page,
                                                       report, buffer, &count);
  if (status) *status = result;
  return {buffer.begin(), buffer.begin() + count};
}

// The USB HID class definition's example keyboard: modifiers (variable bits), a padding byte,
// six array bytes of page 7.
const char kKeyboard[] =
    "05 01 09 06 a1 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 95 01 75 08 81 01 "
    "95 05 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01 95 06 75 08 15 00 25 65 05 07 "
    "19 00 29 65 81 00 c0";

TEST(HidReportDecoder, Keyboard_UsagesInCapsOrder) {
  const HidCollection keyboard = Only(kKeyboard);
  // Left shift and right alt down; keys 0x04 ('a') and 0x29 (escape) in the array.
  const std::vector<uint8_t> report = {0x00, 0x42, 0x00, 0x29, 0x04, 0, 0, 0, 0};
  HidStatus status = 0;
  EXPECT_EQ(Usages(keyboard, 0x07, report, &status),
            (std::vector<uint16_t>{0xe1, 0xe6, 0x29, 0x04}));
  EXPECT_EQ(status, HIDP_STATUS_SUCCESS);
}

TEST(HidReportDecoder, ArrayValueOutsideLogicalRange_IsNoUsage) {
  const HidCollection keyboard = Only(kKeyboard);
  const std::vector<uint8_t> report = {0x00, 0x00, 0x00, 0x66, 0xff, 0x05, 0, 0, 0};
  // 0x66 and 0xff lie outside 0..0x65; 0x00 selects usage 0, "no event".
  EXPECT_EQ(Usages(keyboard, 0x07, report), (std::vector<uint16_t>{0x05}));
}

TEST(HidReportDecoder, ArrayUsage_IsUsageMinPlusValueMinusLogicalMin) {
  HIDP_BUTTON_CAPS cap;
  cap.usage_min = 0x20;
  cap.usage_max = 0x2f;
  cap.logical_min = 1;
  cap.logical_max = 16;
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 1), 0x20);
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 16), 0x2f);
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 0), std::nullopt);
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 17), std::nullopt);
  // A second capability of the same array item owns the indices after the first's.
  cap.array_index_offset = 4;
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 4), std::nullopt);
  EXPECT_EQ(HidReportDecoder::ArrayUsage(cap, 5), 0x20);
}

TEST(HidReportDecoder, ArrayWithListedUsages_MapsIndexInDeclarationOrder) {
  // Array of listed usages 0xb5, 0xb6, 0xcd; index 1..3.
  const HidCollection consumer =
      Only("05 0c 09 01 a1 01 09 b5 09 b6 09 cd 15 01 25 03 75 08 95 02 81 00 c0");
  EXPECT_EQ(Usages(consumer, 0x0c, {0x00, 0x03, 0x01}), (std::vector<uint16_t>{0xcd, 0xb5}));
}

TEST(HidReportDecoder, Values_RawUnsignedScaledSigned) {
  // Wheel: 8 bits, logical -127..127, no physical range.
  const HidCollection mouse =
      Only("05 01 09 02 a1 01 09 38 15 81 25 7f 75 08 95 01 81 06 c0");
  const std::vector<uint8_t> report = {0x00, 0xff};
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(HidReportDecoder::GetUsageValue(mouse, HidReportType::kInput, 0x01, 0x38, report, &raw),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(raw, 0xffu);
  EXPECT_EQ(HidReportDecoder::GetScaledUsageValue(mouse, HidReportType::kInput, 0x01, 0x38,
                                                  report, &scaled),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(scaled, -1);
}

TEST(HidReportDecoder, ScaledValue_MapsLogicalToPhysical) {
  // 0..255 logical onto 0..1000 physical; a 12-bit field at bit 4 (unaligned).
  const HidCollection device = Only(
      "06 00 ff 09 01 a1 01 75 04 95 01 81 03 09 02 15 00 26 ff 00 35 00 46 e8 03 75 0c 81 02 "
      "c0");
  const std::vector<uint8_t> report = {0x00, 0xf0, 0x07};  // field = 0x7f
  int32_t scaled = 0;
  EXPECT_EQ(HidReportDecoder::GetScaledUsageValue(device, HidReportType::kInput, 0xff00, 0x02,
                                                  report, &scaled),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(scaled, 0x7f * 1000 / 255);
  const std::vector<uint8_t> out_of_range = {0x00, 0xf0, 0xff};
  EXPECT_EQ(HidReportDecoder::GetScaledUsageValue(device, HidReportType::kInput, 0xff00, 0x02,
                                                  out_of_range, &scaled),
            HIDP_STATUS_VALUE_OUT_OF_RANGE);
}

TEST(HidReportDecoder, ReportIdAndLength_AreChecked) {
  const HidCollection mouse = Only(
      "05 01 09 02 a1 01 85 01 09 30 75 08 95 01 81 02 85 02 09 31 81 02 c0");
  uint32_t raw = 0;
  EXPECT_EQ(HidReportDecoder::GetUsageValue(mouse, HidReportType::kInput, 0x01, 0x30,
                                            std::vector<uint8_t>{0x02, 0x10}, &raw),
            HIDP_STATUS_INCOMPATIBLE_REPORT_ID);
  EXPECT_EQ(HidReportDecoder::GetUsageValue(mouse, HidReportType::kInput, 0x01, 0x30,
                                            std::vector<uint8_t>{0x01}, &raw),
            HIDP_STATUS_INVALID_REPORT_LENGTH);
  EXPECT_EQ(HidReportDecoder::GetUsageValue(mouse, HidReportType::kInput, 0x01, 0x32,
                                            std::vector<uint8_t>{0x01, 0x10}, &raw),
            HIDP_STATUS_USAGE_NOT_FOUND);
  EXPECT_EQ(HidReportDecoder::GetUsageValue(mouse, HidReportType::kInput, 0x01, 0x31,
                                            std::vector<uint8_t>{0x02, 0x10}, &raw),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(raw, 0x10u);
}

TEST(HidReportDecoder, UsageListFull_ReportsBufferTooSmall) {
  const HidCollection keyboard = Only(kKeyboard);
  const std::vector<uint8_t> report = {0x00, 0xff, 0x00, 4, 5, 6, 7, 8, 9};
  std::array<uint16_t, 10> buffer{};
  uint32_t count = 0;
  EXPECT_EQ(HidReportDecoder::GetUsages(keyboard, HidReportType::kInput, 0x07, report, buffer,
                                        &count),
            HIDP_STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(count, 10u);
}

}  // namespace
}  // namespace zt640::platform
