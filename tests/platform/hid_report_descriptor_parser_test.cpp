#include <gtest/gtest.h>

#include "platform/hid/report_descriptor_parser.h"
#include "platform/hid_fake_sysfs.h"

namespace zt640::platform {
namespace {

using zt640::test::HexBytes;

ReportDescriptorParseResult ParseHex(const std::string& hex) {
  return ReportDescriptorParser::Parse(HexBytes(hex));
}

struct MalformedCase {
  const char* name;
  std::string hex;
};

class HidParserMalformedTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(HidParserMalformedTest, Descriptor_FailsCleanly) {
  const ReportDescriptorParseResult result = ParseHex(GetParam().hex);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_TRUE(result.collections.empty());
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HidParserMalformedTest,
    ::testing::Values(
        MalformedCase{"TruncatedItemData", "05 01 09 02 a1 01 26 ff"},
        MalformedCase{"TruncatedLongItem", "05 01 09 02 a1 01 fe 05 00 01 02"},
        MalformedCase{"UnclosedCollection", "05 01 09 02 a1 01 a1 00 c0"},
        MalformedCase{"EndWithoutCollection", "05 01 09 02 c0"},
        MalformedCase{"ReportIdZero", "05 01 09 02 a1 01 85 00 c0"},
        MalformedCase{"ReportIdAbove255", "05 01 09 02 a1 01 86 00 01 c0"},
        MalformedCase{"ReportSizeTooLarge", "05 01 09 02 a1 01 76 01 01 c0"},
        MalformedCase{"ReportCountTooLarge", "05 01 09 02 a1 01 97 ff ff ff ff c0"},
        MalformedCase{"PopWithoutPush", "05 01 b4 09 02 a1 01 c0"},
        MalformedCase{"PushOverflow", Repeat("a4 ", 17)},
        MalformedCase{"NestingTooDeep", "05 01 09 02 " + Repeat("a1 00 ", 33) + Repeat("c0 ", 33)},
        MalformedCase{"UsageMaxBelowMin", "05 01 09 02 a1 01 19 05 29 02 75 08 95 01 81 02 c0"},
        MalformedCase{"ReportTooLong",
                      "05 01 09 02 a1 01 75 08 96 00 30 09 01 81 02 96 00 30 09 01 81 02 "
                      "96 00 30 09 01 81 02 c0"},
        MalformedCase{"Oversized", "05 01 09 02 a1 01 " + Repeat("04 ", 4096) + "c0"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

TEST(HidParser, LongItem_IsSkipped) {
  const auto result = ParseHex("05 01 09 02 a1 01 fe 02 10 aa bb 09 30 75 08 95 01 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.collections.size(), 1u);
  EXPECT_EQ(result.collections[0].value_caps[0].size(), 1u);
}

TEST(HidParser, GlobalItems_CarryOverToNextTopLevelCollection) {
  // The second collection sets no report size/count/id: they carry over.
  const auto result = ParseHex(
      "05 01 09 02 a1 01 85 01 75 08 95 02 09 30 09 31 81 02 c0 "
      "09 04 a1 01 09 32 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.collections.size(), 2u);
  const HidCollection& second = result.collections[1];
  EXPECT_EQ(second.caps.usage_page, 0x01);
  EXPECT_EQ(second.caps.usage, 0x04);
  EXPECT_EQ(second.ReportByteLength(HidReportType::kInput, 1), 3);
  ASSERT_EQ(second.value_caps[0].size(), 1u);
  EXPECT_EQ(second.value_caps[0][0].report_count, 2);
}

TEST(HidParser, VariableItem_RepeatsLastUsageAndReversesCaps) {
  // Usages X, Y for four 8-bit fields: Y covers fields 1..3.
  const auto result =
      ParseHex("05 01 09 04 a1 01 09 30 09 31 15 00 26 ff 00 75 08 95 04 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  const auto& caps = result.collections[0].value_caps[0];
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_EQ(caps[0].usage_min, 0x31);
  EXPECT_EQ(caps[0].report_count, 3);
  EXPECT_EQ(caps[0].bit_position, 8u);
  EXPECT_EQ(caps[0].data_index_min, 0);
  EXPECT_EQ(caps[1].usage_min, 0x30);
  EXPECT_EQ(caps[1].report_count, 1);
  EXPECT_EQ(caps[1].bit_position, 0u);
  EXPECT_EQ(caps[1].data_index_min, 1);
}

TEST(HidParser, ValueRange_IsOneRangeCap) {
  const auto result =
      ParseHex("06 00 ff 09 01 a1 01 19 05 29 07 15 00 26 ff 00 75 08 95 03 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  const HidCollection& collection = result.collections[0];
  ASSERT_EQ(collection.value_caps[0].size(), 1u);
  const HIDP_VALUE_CAPS& cap = collection.value_caps[0][0];
  EXPECT_TRUE(cap.is_range);
  EXPECT_EQ(cap.usage_min, 5);
  EXPECT_EQ(cap.usage_max, 7);
  EXPECT_EQ(cap.data_index_max - cap.data_index_min, 2);
  EXPECT_EQ(collection.caps.number_input_data_indices, 3);
}

TEST(HidParser, ConstantItemWithUsage_MakesCapButPaddingDoesNot) {
  const auto result = ParseHex(
      "05 01 09 02 a1 01 75 08 95 01 81 03 09 30 81 03 09 31 75 00 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  const HidCollection& collection = result.collections[0];
  // Padding (no usage) gives no cap but counts its bits; size 0 is a value cap.
  ASSERT_EQ(collection.value_caps[0].size(), 2u);
  EXPECT_EQ(collection.value_caps[0][0].usage_min, 0x30);
  EXPECT_EQ(collection.value_caps[0][0].bit_position, 8u);
  EXPECT_EQ(collection.value_caps[0][1].bit_size, 0);
  EXPECT_EQ(collection.caps.input_report_byte_length, 3);
}

TEST(HidParser, LinkNodes_DescribeNestedCollections) {
  const auto result = ParseHex(
      "05 01 09 02 a1 01 09 01 a1 00 09 30 75 08 95 01 81 02 c0 "
      "05 0c 09 05 a1 02 09 e9 81 02 c0 c0");
  ASSERT_TRUE(result.ok) << result.error;
  const HidCollection& collection = result.collections[0];
  ASSERT_EQ(collection.link_nodes.size(), 3u);
  EXPECT_EQ(collection.link_nodes[0].number_of_children, 2);
  EXPECT_EQ(collection.link_nodes[0].first_child, 1);
  EXPECT_EQ(collection.link_nodes[1].next_sibling, 2);
  EXPECT_EQ(collection.link_nodes[2].link_usage_page, 0x0c);
  EXPECT_EQ(collection.link_nodes[2].collection_type, 2);
  const auto& caps = collection.value_caps[0];
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_EQ(caps[0].link_collection, 1);
  EXPECT_EQ(caps[0].link_usage, 0x01);
  EXPECT_EQ(caps[1].link_collection, 2);
}

TEST(HidParser, ExtendedUsage_CarriesItsOwnPage) {
  const auto result = ParseHex("05 01 09 02 a1 01 0b e9 00 0c 00 75 08 95 01 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.collections[0].value_caps[0].size(), 1u);
  EXPECT_EQ(result.collections[0].value_caps[0][0].usage_page, 0x0c);
  EXPECT_EQ(result.collections[0].value_caps[0][0].usage_min, 0xe9);
}

TEST(HidParser, PushPop_RestoresGlobals) {
  const auto result = ParseHex(
      "05 01 09 02 a1 01 75 08 95 01 a4 75 10 09 30 81 02 b4 09 31 81 02 c0");
  ASSERT_TRUE(result.ok) << result.error;
  const auto& caps = result.collections[0].value_caps[0];
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_EQ(caps[0].bit_size, 16);
  EXPECT_EQ(caps[1].bit_size, 8);
}

TEST(HidParser, EmptyDescriptor_HasNoCollections) {
  const auto result = ReportDescriptorParser::Parse({});
  EXPECT_TRUE(result.ok);
  EXPECT_TRUE(result.collections.empty());
}

}  // namespace
}  // namespace zt640::platform
