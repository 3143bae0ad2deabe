#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "devices/key_match_file.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devices/remembered_key_match.h"

namespace zt640 {
namespace {

constexpr uint8_t kNone = 255;
using Keys = std::vector<uint8_t>;

// Five UI keys: A, B, C and two (D, E) sharing the factory value 20 00 00.
const std::vector<KeyAssignment> kFactory = {
    {0x20, 0, 0x04}, {0x20, 0, 0x05}, {0x20, 0, 0x06}, {0x20, 0, 0}, {0x20, 0, 0}};

struct CompleteCase {
  const char* name;
  Keys factory_match;  ///< the factory-value match handed in
  Keys remembered;
  unsigned key_count;
  Keys expected;
};

class RememberedKeyMatch_Complete : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(RememberedKeyMatch_Complete, Cases) {
  const CompleteCase& c = GetParam();
  Keys keys = c.factory_match;
  RememberedKeyMatch::Complete(kFactory, c.remembered, c.key_count, keys);
  EXPECT_EQ(keys, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RememberedKeyMatch_Complete,
    ::testing::Values(
        CompleteCase{"NothingRememberedKeepsTheFactoryMatch", {kNone, 1, 2, 3, 3}, {}, 6, {kNone, 1, 2, 3, 3}},
        CompleteCase{"ReassignedKeyTakesItsRememberedKey", {kNone, 1, 2, 3, 3}, {0, 1, 2, 3, 3}, 6, {0, 1, 2, 3, 3}},
        // A (device key 0) was given B's value: B's value is found first at 0.
        CompleteCase{"CopyOfAnotherKeysValueDoesNotMoveThatKey", {kNone, 0, 2, 3, 3}, {0, 1, 2, 3, 3}, 6,
                     {0, 1, 2, 3, 3}},
        CompleteCase{"SwappedKeysKeepTheirDeviceKeys", {1, 0, 2, 3, 3}, {0, 1, 2, 3, 3}, 6, {0, 1, 2, 3, 3}},
        // The factory value still leads: a value the memory places nowhere stays matched.
        CompleteCase{"FactoryMatchOnAKeyNobodyRemembersStays", {0, 1, 2, 4, 4}, {0, 1, 2, 3, 3}, 6, {0, 1, 2, 4, 4}},
        CompleteCase{"KeysSharingAValueShareTheRememberedKey", {0, 1, 2, kNone, kNone}, {0, 1, 2, 3, 3}, 6,
                     {0, 1, 2, 3, 3}},
        CompleteCase{"RememberedKeysBeyondTheKeyCountAreIgnored", {kNone, 1, 2, kNone, kNone}, {0, 1, 2, 4, 4}, 3,
                     {0, 1, 2, kNone, kNone}},
        // A memory that gives one device key to A and B (damaged): B's own
        // factory match agrees with it and wins; A gets nothing.
        CompleteCase{"RememberedKeyTakenByAnotherKeyStaysUnused", {kNone, 0, 2, 3, 3}, {0, 0, 2, 3, 3}, 6,
                     {kNone, 0, 2, 3, 3}},
        CompleteCase{"ShortMemoryCoversOnlyItsKeys", {kNone, kNone, 2, 3, 3}, {0}, 6, {0, kNone, 2, 3, 3}}),
    [](const ::testing::TestParamInfo<CompleteCase>& info) { return std::string(info.param.name); });

TEST(KeyboardKeyMatcher_Match, RememberedMatchFollowsReassignedKeys) {
  // Device keys: 0 holds UI 3's key (F3, 20 00 3C) reassigned to UI 64's value
  // 20 00 04; 1 holds F2 (UI 2); 2 holds UI 64's own 20 00 04; 3 holds UI 30's
  // key (20 00 26) reassigned to macro 2 (70 02 00).
  const std::vector<uint8_t> table = {0x20, 0, 0x04, 0x20, 0, 0x3B, 0x20, 0, 0x04, 0x70, 0x02, 0x00};
  const std::vector<uint8_t> light = {40, 41, 42, 43};
  KeyboardKeyMatcher::KeyMap keys{};
  KeyboardKeyMatcher::KeyMap lights{};

  KeyboardKeyMatcher::Match(table, light, 4, &keys, &lights);
  EXPECT_EQ(keys[3], kNone);
  EXPECT_EQ(keys[30], kNone);
  EXPECT_EQ(keys[64], 0);  // the factory rule alone takes the copy

  Keys remembered(KeyboardKeyMatcher::kUiKeyCount, kNone);
  remembered[2] = 1;
  remembered[3] = 0;
  remembered[30] = 3;
  remembered[64] = 2;
  KeyboardKeyMatcher::Match(table, light, 4, &keys, &lights, remembered);
  EXPECT_EQ(keys[3], 0);
  EXPECT_EQ(lights[3], 40);
  EXPECT_EQ(keys[30], 3);
  EXPECT_EQ(lights[30], 43);
  EXPECT_EQ(keys[64], 2);
  EXPECT_EQ(lights[64], 42);
  EXPECT_EQ(keys[2], 1);
}

constexpr KeyMatchFile::Model kModel{0x505B, 132};

struct ParseCase {
  const char* name;
  std::string text;
  Keys expected;  ///< the first four UI keys; empty: nothing remembered
};

class KeyMatchFile_Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(KeyMatchFile_Parse, Cases) { EXPECT_EQ(KeyMatchFile::Parse(GetParam().text, kModel, 4), GetParam().expected); }

std::string Entry(const std::string& product, const std::string& count, const std::string& keys) {
  return R"({"Models":[{"ProductId":)" + product + R"(,"KeyCount":)" + count + R"(,"DeviceKeys":)" + keys + "}]}";
}

/// "[0,0,...]" with n zeros.
std::string ZeroList(int n) {
  std::string list = "[0";
  for (int i = 1; i < n; ++i) list += ",0";
  return list + "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyMatchFile_Parse,
    ::testing::Values(
        ParseCase{"Valid", Entry("20571", "132", "[7, 0, 131, 255]"), {7, 0, 131, kNone}},
        ParseCase{"ShortListLeavesTheRestUnknown", Entry("20571", "132", "[5]"), {5, kNone, kNone, kNone}},
        ParseCase{"OutOfRangeAndNonIntegerValuesAreUnknown", Entry("20571", "132", R"([132, -1, "7", 1.5])"),
                  {kNone, kNone, kNone, kNone}},
        ParseCase{"OtherProduct", Entry("20617", "132", "[1, 2, 3, 4]"), {}},
        ParseCase{"OtherKeyCount", Entry("20571", "100", "[1, 2, 3, 4]"), {}},
        ParseCase{"Empty", "", {}},
        ParseCase{"Truncated", Entry("20571", "132", "[1, 2, 3, 4]").substr(0, 40), {}},
        ParseCase{"NotAnObject", "[1, 2]", {}},
        ParseCase{"ModelsNotAnArray", R"({"Models":{"ProductId":20571}})", {}},
        ParseCase{"ProductIdAsText", Entry(R"("20571")", "132", "[1, 2, 3, 4]"), {}},
        ParseCase{"DeviceKeysNotAnArray", Entry("20571", "132", "7"), {}},
        ParseCase{"DeviceKeysTooLong", Entry("20571", "132", ZeroList(300)), {}},
        ParseCase{"DeepNesting", std::string(5000, '[') + std::string(5000, ']'), {}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

class KeyMatchFile_Save : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-keymatch-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    folder_ = std::string(templ) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Path() const { return folder_ + KeyMatchFile::kFileName; }
  std::string Read(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Write(const std::string& text) const { std::ofstream(Path(), std::ios::binary) << text; }

  std::string folder_;
};

TEST_F(KeyMatchFile_Save, RoundTripKeepsOtherModelsAndSkipsUnchangedEntries) {
  const KeyMatchFile::Model receiver{0x5089, 132};
  ASSERT_TRUE(KeyMatchFile::Save(folder_, kModel, Keys{3, 1, kNone, 2}));
  ASSERT_TRUE(KeyMatchFile::Save(folder_, receiver, Keys{9, 8}));
  ASSERT_TRUE(KeyMatchFile::Save(folder_, kModel, Keys{3, 1, 4, 2}));
  EXPECT_EQ(KeyMatchFile::Load(folder_, kModel, 4), (Keys{3, 1, 4, 2}));
  EXPECT_EQ(KeyMatchFile::Load(folder_, receiver, 3), (Keys{9, 8, kNone}));

  // The same entry again leaves the file alone (here: its compact form).
  const std::string compact = Entry("20571", "132", "[3,1,4,2]");
  Write(compact);
  ASSERT_TRUE(KeyMatchFile::Save(folder_, kModel, Keys{3, 1, 4, 2}));
  EXPECT_EQ(Read(Path()), compact);
}

TEST_F(KeyMatchFile_Save, DamagedFileIsKeptAsideAndReplaced) {
  Write("{\"Models\": [ {\"ProductId\": 20571,");
  EXPECT_TRUE(KeyMatchFile::Load(folder_, kModel, 4).empty());
  ASSERT_TRUE(KeyMatchFile::Save(folder_, kModel, Keys{0, 1, 2, 3}));
  EXPECT_EQ(Read(Path() + ".bak"), "{\"Models\": [ {\"ProductId\": 20571,");
  EXPECT_EQ(KeyMatchFile::Load(folder_, kModel, 4), (Keys{0, 1, 2, 3}));
}

}  // namespace
}  // namespace zt640
