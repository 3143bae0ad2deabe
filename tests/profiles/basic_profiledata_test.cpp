#include "profiles/basic_profiledata.h"

#include <gtest/gtest.h>

#include "profiles/global_utils.h"
#include "profiles/keyboard_profiledata.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

/// A profile object over a temp folder holding a default profile.
class ProfileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    default_path_ = folder_.File("Keyboard.Json");
    WriteText(default_path_,
              R"({"Device":[{"LightInfo":{"SelectItem":7},"KeyList":[{"Assignment":2097156,"DefaultAssignment":2097156}]}]})");
    profile_path_ = folder_.File("2023_07_04_09_05_31_042.Json");
    data_.SetDefaultProfilePath(default_path_);
    data_.SetProfilePath(profile_path_);
  }

  /// Writes a profile whose device section is `section` and loads it.
  void LoadSection(const std::string& section) {
    WriteText(profile_path_, R"({"profilename":"P","Device":[)" + section + "]}");
    data_.LoadProfile(profile_path_);
  }

  [[nodiscard]] Json::Value FileSection() const {
    return CGlobalUtils::ParseJsonFile(profile_path_)["Device"][0];
  }

  TempFolder folder_;
  std::string default_path_;
  std::string profile_path_;
  CKeyboardProfiledata data_;
};

TEST_F(ProfileFixture, GetLightInfo_AbsentGroupIsZeroAndSavedAsNull) {
  LoadSection(R"({"KeyList":[]})");
  EXPECT_EQ(data_.GetLightInfo(), LightEffect{});
  ASSERT_TRUE(data_.Save());
  const Json::Value section = FileSection();
  EXPECT_TRUE(section.isMember("LightInfo"));
  EXPECT_TRUE(section["LightInfo"].isNull());
}

TEST_F(ProfileFixture, GetLightInfo_CutsToEightBitsAndReadsBooleans) {
  LoadSection(R"({"LightInfo":{"SelectItem":300,"MultiColor":7,"Red":-1,"OldLedmode":513}})");
  const LightEffect light = data_.GetLightInfo();
  EXPECT_EQ(light.mode, 44);
  EXPECT_EQ(light.multicolor, 1);
  EXPECT_EQ(light.red, 255);
  EXPECT_EQ(light.previous_mode, 1);
}

TEST_F(ProfileFixture, GetLightInfo_WrongTypesReadAsZeroAndStayUntouched) {
  LoadSection(R"({"LightInfo":{"SelectItem":"3","Speed":[1],"MultiColor":"yes","Light":1e300,"Red":99999999999}})");
  EXPECT_EQ(data_.GetLightInfo(), LightEffect{});
  EXPECT_EQ(data_.MainDocument()["LightInfo"]["SelectItem"].asString(), "3");
  LoadSection(R"({"LightInfo":"not a group","SystemStages":[1,2]})");
  EXPECT_EQ(data_.GetLightInfo(), LightEffect{});
  EXPECT_EQ(data_.GetKeyboardOptions(), KeyboardOptions{});
  EXPECT_EQ(data_.MainDocument()["LightInfo"].asString(), "not a group");
}

TEST_F(ProfileFixture, SetLightInfo_WritesMulticolorAsZeroOrOne) {
  LoadSection("{}");
  LightEffect light;
  light.mode = 5;
  light.multicolor = 9;
  light.present = 1;
  data_.SetLightInfo(light);
  const Json::Value& group = data_.MainDocument()["LightInfo"];
  EXPECT_EQ(group["MultiColor"].asInt(), 1);
  EXPECT_EQ(group["SelectItem"].asInt(), 5);
  EXPECT_EQ(group.size(), 11u);
  EXPECT_EQ(data_.GetLightInfo().mode, 5);
}

TEST_F(ProfileFixture, GetAudioLightInfo_ColorTypeForcedOnlyWhenPresent) {
  LoadSection(R"({"AudioLightInfo":{"AudioMode":2,"FgColorR":300,"7ColorFlags":5,"ColorTypeFlags":0}})");
  const AudioLightSetting setting = data_.GetAudioLightInfo();
  EXPECT_EQ(setting.audio_mode, 2);
  EXPECT_EQ(setting.foreground_red, 44);
  EXPECT_EQ(setting.seven_color, 1);
  EXPECT_EQ(setting.color_type, 1);
  LoadSection("{}");
  EXPECT_EQ(data_.GetAudioLightInfo(), AudioLightSetting{});
}

TEST_F(ProfileFixture, GetLightList_MarksPresentElements) {
  LoadSection(R"({"LightList":[{"LEDREGMode":2,"LEDDirection":3,"red":256},null,5]})");
  const std::vector<LightEffect> zones = data_.GetLightList();
  ASSERT_EQ(zones.size(), 3u);
  EXPECT_EQ(zones[0].mode, 2);
  EXPECT_EQ(zones[0].direction, 1);
  EXPECT_EQ(zones[0].red, 0);
  EXPECT_EQ(zones[0].present, 1);
  EXPECT_EQ(zones[1], LightEffect{});
  EXPECT_EQ(zones[2].present, 0);
}

TEST_F(ProfileFixture, GetKeyList_IndexIsPositionAndMissingReadsZero) {
  LoadSection(R"({"KeyList":[{"Assignment":7340291,"DefaultAssignment":2097156},{"DefaultAssignment":2097157},"bad"]})");
  const std::vector<KeyListEntry> keys = data_.GetKeyList();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].current.assignment, (KeyAssignment{0x70, 0x01, 0x03}));
  EXPECT_EQ(keys[0].defaults.assignment, (KeyAssignment{0x20, 0x00, 0x04}));
  EXPECT_EQ(keys[1].current.key_index, 1);
  EXPECT_EQ(keys[1].current.assignment, KeyAssignment{});
  EXPECT_EQ(keys[2].defaults.key_index, 2);
  EXPECT_EQ(keys[2].defaults.assignment, KeyAssignment{});
}

TEST_F(ProfileFixture, SetKeyList_GrowsArrayAndWritesOnlyAssignment) {
  LoadSection(R"({"KeyList":[{"Assignment":1,"DefaultAssignment":1,"Extra":"kept"},{"Assignment":2},{"Assignment":3}]})");
  std::vector<KeyListEntry> keys(5);
  for (uint16_t i = 0; i < 5; ++i) keys[i].current = KeyRecord{i, KeyAssignment{0x20, 0x01, static_cast<uint8_t>(i)}, 0};
  data_.SetKeyList(keys);
  const Json::Value& list = data_.MainDocument()["KeyList"];
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0]["Assignment"].asInt(), 0x200100);
  EXPECT_EQ(list[0]["DefaultAssignment"].asInt(), 1);
  EXPECT_EQ(list[0]["Extra"].asString(), "kept");
  EXPECT_EQ(list[4].getMemberNames(), std::vector<std::string>{"Assignment"});
  EXPECT_EQ(list[4]["Assignment"].asInt(), 0x200104);
}

TEST_F(ProfileFixture, GetKeyboardOptions_CutsToSixteenBits) {
  LoadSection(R"({"SystemStages":{"Repeat":70000,"PollingRate":1000,"Wheel":-1}})");
  const KeyboardOptions options = data_.GetKeyboardOptions();
  EXPECT_EQ(options.repeat, 4464);
  EXPECT_EQ(options.polling_rate, 1000);
  EXPECT_EQ(options.wheel, 0xFFFF);
  EXPECT_EQ(options.repeat_delay, 0);
}

TEST_F(ProfileFixture, GetCustomColors_FillsGapsWithZeroObjects) {
  LoadSection("{}");
  const std::vector<CustomColor> colors = data_.GetCustomColors(2, 4);
  EXPECT_EQ(colors, std::vector<CustomColor>(4));
  const Json::Value& info = data_.MainDocument()["CustomLightMode"]["LightColorInfo"];
  ASSERT_EQ(info.size(), 3u);
  EXPECT_TRUE(info[0].isNull());
  EXPECT_TRUE(info[1].isNull());
  ASSERT_EQ(info[2].size(), 4u);
  EXPECT_EQ(info[2][3]["Alpha"].asInt(), 0);
  EXPECT_TRUE(info[2][3].isMember("Red"));
}

TEST_F(ProfileFixture, CustomColors_ReadPartialGroupAndKeepOtherGroups) {
  LoadSection(R"({"CustomLightMode":{"CustomLightModeGroupIndex":2,"LightColorInfo":[[{"Red":1}],[{"Red":300,"Green":2,"Blue":3,"Alpha":4},null]]}})");
  const std::vector<CustomColor> colors = data_.GetCustomColors(1, 3);
  ASSERT_EQ(colors.size(), 3u);
  EXPECT_EQ(colors[0], (CustomColor{44, 2, 3, 4}));
  EXPECT_EQ(colors[1], CustomColor{});
  EXPECT_EQ(data_.GetCustomColorGroup(), 2);
  data_.SetCustomColors({CustomColor{9, 8, 7, 6}}, 1);
  const Json::Value& info = data_.MainDocument()["CustomLightMode"]["LightColorInfo"];
  EXPECT_EQ(info[0][0]["Red"].asInt(), 1);
  EXPECT_EQ(info[1][0]["Red"].asInt(), 9);
  EXPECT_EQ(info[1].size(), 3u);
  data_.SetCustomColorGroup(0);
  EXPECT_EQ(data_.MainDocument()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 0);
}

TEST_F(ProfileFixture, Save_KeepsOtherMembersAndSlots) {
  WriteText(profile_path_,
            R"({"profilename":"Mine","profileUUID":"u","Unknown":{"x":[1,2]},"Device":[{"LightInfo":{"SelectItem":1},"Custom":true},{"Other":"slot"}]})");
  data_.LoadProfile(profile_path_);
  LightEffect light = data_.GetLightInfo();
  light.mode = 9;
  data_.SetLightInfo(light);
  ASSERT_TRUE(data_.Save());
  const Json::Value file = CGlobalUtils::ParseJsonFile(profile_path_);
  EXPECT_EQ(file["profilename"].asString(), "Mine");
  EXPECT_EQ(file["Unknown"]["x"][1].asInt(), 2);
  EXPECT_EQ(file["Device"][1]["Other"].asString(), "slot");
  EXPECT_TRUE(file["Device"][0]["Custom"].asBool());
  EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
}

TEST_F(ProfileFixture, Save_RepeatedSavesSeeChangesMadeByOthersInBetween) {
  WriteText(profile_path_, R"({"profilename":"Mine","Device":[{"LightInfo":{"SelectItem":1}},{"Other":1}]})");
  data_.LoadProfile(profile_path_);
  ASSERT_TRUE(data_.Save());
  // Another device object writes its own section of the same file.
  CKeyboardProfiledata other;
  other.SetDeviceSlot(1);
  other.SetProfilePath(profile_path_);
  other.LoadProfile(profile_path_);
  Json::Value section;
  section["Other"] = 2;
  ASSERT_TRUE(other.SaveSection(section, profile_path_));
  LightEffect light = data_.GetLightInfo();
  light.mode = 4;
  data_.SetLightInfo(light);
  ASSERT_TRUE(data_.Save());
  ASSERT_TRUE(data_.Save());
  const Json::Value file = CGlobalUtils::ParseJsonFile(profile_path_);
  EXPECT_EQ(file["Device"][1]["Other"].asInt(), 2);
  EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
  EXPECT_EQ(data_.GetLightInfo().mode, 4);  // the in-memory section survives the save
}

TEST_F(ProfileFixture, Save_MissingFileCreatesDeviceOnly) {
  data_.LoadSideProfile(folder_.File("unused.Json"));
  Json::Value section;
  section["A"] = 1;
  ASSERT_TRUE(data_.SaveSection(section, folder_.File("new.Json")));
  const Json::Value file = CGlobalUtils::ParseJsonFile(folder_.File("new.Json"));
  EXPECT_EQ(file.getMemberNames(), std::vector<std::string>{"Device"});
  EXPECT_EQ(file["Device"][0]["A"].asInt(), 1);
}

TEST_F(ProfileFixture, LoadProfile_EmptyDeviceArrayTakesDefaultAndRewrites) {
  WriteText(profile_path_, R"({"profilename":"Mine","Device":[]})");
  const Json::Value section = data_.LoadProfile(profile_path_);
  EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 7);
  const Json::Value file = CGlobalUtils::ParseJsonFile(profile_path_);
  EXPECT_EQ(file["profilename"].asString(), "Mine");
  EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
}

TEST_F(ProfileFixture, LoadProfile_DamagedFileReadsDefaultsAndSaveKeepsItAsBackup) {
  const std::string truncated = "{\"profilename\":\"Mine\", \"Device\": [ {";
  WriteText(profile_path_, truncated);
  data_.LoadProfile(profile_path_);
  EXPECT_EQ(data_.GetLightInfo().mode, 7);
  EXPECT_EQ(ReadText(profile_path_), truncated);
  EXPECT_FALSE(std::filesystem::exists(profile_path_ + ".bak"));
  ASSERT_TRUE(data_.Save());
  EXPECT_EQ(ReadText(profile_path_ + ".bak"), truncated);
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(profile_path_)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);

  const std::string wrong_shape = R"({"profilename":"Kept","Device":{"not":"an array"}})";
  WriteText(profile_path_, wrong_shape);
  data_.LoadProfile(profile_path_);
  EXPECT_EQ(ReadText(profile_path_), wrong_shape);
  ASSERT_TRUE(data_.Save());
  const Json::Value file = CGlobalUtils::ParseJsonFile(profile_path_);
  EXPECT_EQ(file["profilename"].asString(), "Kept");
  EXPECT_TRUE(file["Device"].isArray());
  EXPECT_EQ(ReadText(profile_path_ + ".bak"), wrong_shape);
}

TEST_F(ProfileFixture, LoadProfile_ValidProfileIsNotRewritten) {
  const std::string text = R"({"Device":[{"LightInfo":{"SelectItem":1}}]})";
  WriteText(profile_path_, text);
  data_.LoadProfile(profile_path_);
  EXPECT_EQ(data_.GetLightInfo().mode, 1);
  EXPECT_EQ(ReadText(profile_path_), text);
}

TEST_F(ProfileFixture, LoadProfile_NoDefaultEitherWritesNullSection) {
  data_.SetDefaultProfilePath(folder_.File("absent.Json"));
  const Json::Value section = data_.LoadProfile(profile_path_);
  EXPECT_TRUE(section.isNull());
  EXPECT_EQ(data_.GetLightInfo(), LightEffect{});
  const Json::Value file = CGlobalUtils::ParseJsonFile(profile_path_);
  ASSERT_EQ(file["Device"].size(), 1u);
  EXPECT_TRUE(file["Device"][0].isNull());
}

TEST_F(ProfileFixture, SetPaths_EmptyArgumentKeepsPath) {
  data_.SetProfilePath("");
  EXPECT_EQ(data_.GetProfilePath(), profile_path_);
  data_.SetDefaultProfilePath("");
  EXPECT_EQ(data_.GetDefaultProfilePath(), default_path_);
}

TEST_F(ProfileFixture, SideProfile_IndependentOfMain) {
  LoadSection(R"({"KeyList":[{"Assignment":1}]})");
  const std::string other = folder_.File("other.Json");
  WriteText(other, R"({"profilename":"Other","Device":[{"KeyList":[{"Assignment":2},{"Assignment":3}]}]})");
  data_.LoadSideProfile(other);
  std::vector<KeyListEntry> side = data_.GetSideKeyList();
  ASSERT_EQ(side.size(), 2u);
  side[1].current.assignment = KeyAssignment{0x20, 0, 0x05};
  data_.SetSideKeyList(side);
  ASSERT_TRUE(data_.SaveSideProfile(other));
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(other)["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0x200005);
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(other)["profilename"].asString(), "Other");
  EXPECT_EQ(data_.GetKeyList().size(), 1u);
}

class LightFrameFixture : public ProfileFixture {
 protected:
  void WriteConfig(const std::string& guid_member) {
    WriteText(folder_.File("vornik_light.config"),
              R"({"LightInfo":[[{"LightName":"a","Guid":"g0"},{"LightName":"b")" + guid_member + "}]]}");
    data_.LoadLightConfig(folder_.File("vornik_light.config"));
  }
  void SelectMode(uint8_t mode) {
    LightEffect light;
    light.mode = mode;
    data_.SetLightInfo(light);
  }
};

TEST_F(LightFrameFixture, LoadEffectFrames_ReadsFramesBesideTheConfiguration) {
  WriteConfig(R"(,"Guid":"g1")");
  WriteText(folder_.File("g1.light"),
            R"({"LEDEffectList":[{"LEDREGMode":1,"LEDDirection":2,"LEDBrightness":3,"LEDSpeed":4,"LEDMultiColor":5,"red":6,"green":7,"blue":264,"Time":-20,"Cyle":3},"x"]})");
  SelectMode(1);
  const std::vector<EffectFrame> frames = data_.LoadEffectFrames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].effect.mode, 1);
  EXPECT_EQ(frames[0].effect.direction, 2);
  EXPECT_EQ(frames[0].effect.multicolor, 5);
  EXPECT_EQ(frames[0].effect.blue, 8);
  EXPECT_EQ(frames[0].time, -20);
  EXPECT_EQ(frames[0].cycle, 3);
  EXPECT_EQ(frames[1], EffectFrame{});
}

TEST_F(LightFrameFixture, LoadEffectFrames_MissingGuidOrFileGivesEmptyList) {
  WriteConfig("");
  SelectMode(1);
  EXPECT_TRUE(data_.LoadEffectFrames().empty());
  SelectMode(40);
  EXPECT_TRUE(data_.LoadEffectFrames().empty());
}

TEST_F(LightFrameFixture, LoadEffectFrames_RefusesNamesLeavingTheFolder) {
  TempFolder outside;
  WriteText(outside.File("evil.light"), R"({"LEDEffectList":[{"LEDREGMode":1}]})");
  for (const std::string& guid : {"../" + outside.path().substr(outside.path().rfind('/') + 1) + "/evil",
                                 outside.path() + "/evil", std::string("..")}) {
    WriteConfig(R"(,"Guid":")" + guid + "\"");
    SelectMode(1);
    EXPECT_TRUE(data_.LoadEffectFrames().empty()) << guid;
  }
}

}  // namespace
}  // namespace zt640
