#include "profiles/colour_palette_file.h"

#include <gtest/gtest.h>

#include "profiles/global_utils.h"
#include "profiles/temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

constexpr const char* kShippedDefaults = ZT640_SOURCE_DIR "/data/DefaultData/color_option_info.config";

TEST(ColourPaletteFile_ColourText, WritesAndReadsEightUpperCaseDigits) {
  EXPECT_EQ(ColourPaletteFile::ColourText(0xFF123456), "FF123456");
  EXPECT_EQ(ColourPaletteFile::ColourText(0x00ABCDEF), "00ABCDEF");
  EXPECT_EQ(ColourPaletteFile::ParseColourText("FF123456"), 0xFF123456u);
  EXPECT_EQ(ColourPaletteFile::ParseColourText("00000000"), 0u);
  EXPECT_EQ(ColourPaletteFile::ParseColourText("FFFFFFFF"), 0xFFFFFFFFu);
  for (const char* bad : {"", "FF12345", "FF1234567", "ff123456", "0xFF1234", "+F123456", " F123456", "FF12345G",
                          "FF12 456", "-1234567"}) {
    EXPECT_FALSE(ColourPaletteFile::ParseColourText(bad).has_value()) << bad;
  }
}

TEST(ColourPaletteFile_Save, RoundTripKeepsColoursFlagsAndSelections) {
  TempFolder folder;
  const std::string path = folder.File("color_option_info.config");
  ColourPaletteFile palette;
  palette.SetPreset(0, 0xFF123456);
  palette.SetPreset(19, 0x80FEDCBA);
  palette.SetCollected(3, 0xFF00FF7F);
  palette.SetPresetSelection(7);
  palette.SetCollectedSelection(3);
  ASSERT_TRUE(palette.Save(path));

  const std::string text = ReadText(path);
  EXPECT_NE(text.find("\"color\" : \"FF123456\""), std::string::npos);
  EXPECT_NE(text.find("\r\n"), std::string::npos);

  ColourPaletteFile loaded;
  ASSERT_EQ(loaded.Load(path, folder.File("none")), ColourPaletteFile::LoadResult::kLoaded);
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    EXPECT_EQ(loaded.Preset(i), palette.Preset(i)) << i;
    EXPECT_EQ(loaded.Collected(i), palette.Collected(i)) << i;
  }
  EXPECT_EQ(loaded.Collected(3), (CollectedColour{0xFF00FF7F, true}));
  EXPECT_FALSE(loaded.Collected(4).used);
  EXPECT_EQ(loaded.PresetSelection(), 7);
  EXPECT_EQ(loaded.CollectedSelection(), 3);
  // The stored text is the styled document of the object, byte for byte.
  EXPECT_EQ(text, CGlobalUtils::StyledJsonText(loaded.ToJson()));
}

TEST(ColourPaletteFile_Load, FallsBackToDefaultsWhenMissingEmptyOrUnreadable) {
  TempFolder folder;
  const std::string path = folder.File("color_option_info.config");
  const std::string defaults = folder.File("defaults.config");
  ColourPaletteFile source;
  source.SetPreset(2, 0xFF00AA00);
  ASSERT_TRUE(source.Save(defaults));

  for (const char* content : {static_cast<const char*>(nullptr), "", "{ not json", "[1, 2]", "{\"other\": {}}"}) {
    if (content != nullptr) WriteText(path, content);
    ColourPaletteFile palette;
    EXPECT_EQ(palette.Load(path, defaults), ColourPaletteFile::LoadResult::kLoadedDefaults)
        << (content != nullptr ? content : "missing");
    EXPECT_EQ(palette.Preset(2), 0xFF00AA00u);
  }

  ColourPaletteFile untouched;
  untouched.SetPreset(0, 0xFF010203);
  EXPECT_EQ(untouched.Load(path, folder.File("missing")), ColourPaletteFile::LoadResult::kNotLoaded);
  EXPECT_EQ(untouched.Preset(0), 0xFF010203u);
}

TEST(ColourPaletteFile_Load, MalformedEntriesKeepTheCallersValues) {
  TempFolder folder;
  const std::string path = folder.File("palette.config");
  WriteText(path, R"({"coloroptioninfo": {
    "palletDialogcoloroption": [{"color": "FF0000FF"}, {"color": "ff00ff00"}, {"color": 12}, "FF112233",
                                {"color": "FF12345"}, {}],
    "palletDialogcoloroption_selectitem": 20,
    "palletDialogcollectcoloroption": [{"color": "FF445566", "UserData": "1"},
                                       {"color": "bad", "UserData": "1"},
                                       {"color": "FF778899", "UserData": 1},
                                       {"color": "FF778899", "UserData": "0"}],
    "palletDialogcollectcoloroption_selectitem": "3"}})");
  ColourPaletteFile palette;
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) palette.SetPreset(i, 0xFF000000u + static_cast<uint32_t>(i));
  palette.SetCollected(1, 0xFFABCDEF);
  palette.SetPresetSelection(5);
  palette.SetCollectedSelection(6);
  ASSERT_EQ(palette.Load(path, ""), ColourPaletteFile::LoadResult::kLoaded);

  EXPECT_EQ(palette.Preset(0), 0xFF0000FFu);
  for (int i = 1; i < ColourPaletteFile::kSlotCount; ++i) EXPECT_EQ(palette.Preset(i), 0xFF000000u + i) << i;
  EXPECT_EQ(palette.Collected(0), (CollectedColour{0xFF445566, true}));
  // A bad colour keeps the slot's colour; the flag is still read from the entry.
  EXPECT_EQ(palette.Collected(1), (CollectedColour{0xFFABCDEF, true}));
  // Only the text "1" marks a used slot.
  EXPECT_FALSE(palette.Collected(2).used);
  EXPECT_FALSE(palette.Collected(3).used);
  EXPECT_EQ(palette.Collected(3).colour, 0xFF778899u);
  EXPECT_EQ(palette.PresetSelection(), 5);
  EXPECT_EQ(palette.CollectedSelection(), 6);
}

TEST(ColourPaletteFile_Shipped, DefaultsHoldTwentyOpaquePresetsAndNoCollectedColour) {
  ColourPaletteFile palette;
  ASSERT_EQ(palette.Load(kShippedDefaults, ""), ColourPaletteFile::LoadResult::kLoaded);
  const Json::Value document = CGlobalUtils::ParseJsonFile(kShippedDefaults);
  ASSERT_EQ(document["coloroptioninfo"]["palletDialogcoloroption"].size(), 20u);
  ASSERT_EQ(document["coloroptioninfo"]["palletDialogcollectcoloroption"].size(), 20u);
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    EXPECT_EQ(palette.Preset(i) >> 24, 0xFFu) << i;
    EXPECT_FALSE(palette.Collected(i).used) << i;
    for (int j = 0; j < i; ++j) EXPECT_NE(palette.Preset(i), palette.Preset(j)) << i << " " << j;
  }
  // Shipped in the same styled form the program writes.
  EXPECT_EQ(ReadText(kShippedDefaults), CGlobalUtils::StyledJsonText(palette.ToJson()));
}

}  // namespace
}  // namespace zt640
