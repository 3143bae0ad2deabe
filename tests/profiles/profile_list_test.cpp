#include "profiles/profile_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profiles/global_utils.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

class ProfileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() + "/device/";
    std::filesystem::create_directories(folder_);
    defaults_ = temp_.File("default.Json");
    WriteText(defaults_, R"({"Device":[{"LightInfo":{"SelectItem":3},"CustomEQNameInfo":[{"Name":"factory"}]}]})");
    list_.SetDeviceKind(DeviceKind::kKeyboard);
    list_.SetProfileFolders(folder_, defaults_);
  }

  Json::Value ListFile() const { return CGlobalUtils::ParseJsonFile(folder_ + "ProfileList.ini"); }
  Json::Value ProfileFile(int position) const { return CGlobalUtils::ParseJsonFile(list_.GetProfilePathAt(position)); }

  /// Writes a list file naming the given profiles (each with a file).
  void WriteList(const std::vector<std::pair<std::string, std::string>>& profiles, int select = 0) {
    Json::Value document;
    for (const auto& [name, uuid] : profiles) {
      Json::Value element;
      element["profilename"] = name;
      element["profileUUID"] = uuid;
      element["profileislink"] = 0;
      element["profilelinkmame"] = "";
      document["profilelist"].append(element);
      Json::Value profile;
      profile["profilename"] = name;
      profile["profileUUID"] = uuid;
      profile["Device"][0]["LightInfo"]["SelectItem"] = 7;
      ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + uuid + ".Json", profile));
    }
    document["profileselect"] = select;
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "ProfileList.ini", document));
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ProfileEntry& entry : list_.Entries()) names.push_back(entry.name);
    return names;
  }

  TempFolder temp_;
  std::string folder_;
  std::string defaults_;
  ProfileList list_;
};

TEST_F(ProfileListTest, Load_MissingListCreatesProfile1FromDefaults) {
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_EQ(Names(), std::vector<std::string>{"profile1"});
  EXPECT_EQ(list_.GetSelectedProfile(), 0);
  EXPECT_EQ(list_.GetActiveProfileUuid(), list_.Entries()[0].uuid);
  const Json::Value list = ListFile();
  EXPECT_EQ(list["profileselect"].asInt(), 0);
  EXPECT_EQ(list["profilelist"][0]["profileislink"].asInt(), 0);
  EXPECT_EQ(list["profilelist"][0]["profilelinkmame"].asString(), "");
  const Json::Value profile = ProfileFile(0);
  EXPECT_EQ(profile["profilename"].asString(), "profile1");
  EXPECT_EQ(profile["profileUUID"].asString(), list_.GetActiveProfileUuid());
  EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
}

TEST_F(ProfileListTest, Add_SkipsNamesInAnyCaseAndRecordsSelectionOnly) {
  WriteList({{"profile1", "u1"}, {"Profile2", "u2"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  const PanelResult added = list_.AddProfile();
  ASSERT_TRUE(added.done());
  EXPECT_EQ(added.value, "profile3");
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 2);
  EXPECT_EQ(list_.GetActiveProfileUuid(), "u1");  // the old profile stays active
  EXPECT_EQ(list_.GetSelectedProfile(), 0);
  EXPECT_EQ(ProfileFile(2)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
}

TEST_F(ProfileListTest, Add_FiftyProfilesRefused) {
  std::vector<std::pair<std::string, std::string>> profiles;
  for (int i = 0; i < 50; ++i) profiles.emplace_back("p" + std::to_string(i), "u" + std::to_string(i));
  WriteList(profiles);
  ASSERT_TRUE(list_.LoadProfileList().done());
  const std::string before = ReadText(folder_ + "ProfileList.ini");
  EXPECT_EQ(list_.AddProfile().message_key, "message_text_28");
  EXPECT_EQ(list_.CopyProfile().message_key, "message_text_28");
  EXPECT_EQ(ReadText(folder_ + "ProfileList.ini"), before);
}

TEST_F(ProfileListTest, Copy_TwiceAppendsCopyAgain) {
  WriteList({{"Game", "u1"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  EXPECT_EQ(list_.CopyProfile().value, "Game copy");
  EXPECT_EQ(list_.CopyProfile().value, "Game copy copy");
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
  // The device section is copied.
  EXPECT_EQ(ProfileFile(2)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
  EXPECT_EQ(ProfileFile(2)["profilename"].asString(), "Game copy copy");
}

TEST_F(ProfileListTest, Import_NameCollisionsAppendNumbers) {
  WriteList({{"game", "u1"}, {"Game(1)", "u2"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  const std::string source = temp_.File("Game.json");
  WriteText(source, R"({"profilename":"x","profileUUID":"y","Device":[{"LightInfo":{"SelectItem":9}}]})");
  const PanelResult imported = list_.ImportProfile(source);
  ASSERT_TRUE(imported.done());
  EXPECT_EQ(imported.value, "Game(1)(2)");
  const Json::Value profile = ProfileFile(2);
  EXPECT_EQ(profile["profilename"].asString(), "Game(1)(2)");
  EXPECT_EQ(profile["profileUUID"].asString(), list_.Entries()[2].uuid);
  EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
}

TEST_F(ProfileListTest, Import_InvalidOrOversizedFilesRefusedWithoutChange) {
  WriteList({{"a", "u1"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  const std::string before = ReadText(folder_ + "ProfileList.ini");
  const std::string source = temp_.File("bad.json");
  for (const std::string& text : {std::string("not json"), std::string(R"({"profilename":"x"})"),
                                  std::string(R"(["profilename","profileUUID"])"),
                                  std::string(R"({"profilename":"x","profileUUID":"y","Device":5})"),
                                  R"({"profilename":"x","profileUUID":"y","pad":")" + std::string(1 << 20, 'a') + "\"}"}) {
    WriteText(source, text);
    EXPECT_EQ(list_.ImportProfile(source).message_key, "import_invalid_profile_text");
  }
  EXPECT_EQ(ReadText(folder_ + "ProfileList.ini"), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(ProfileListTest, Rename_Rules) {
  WriteList({{"profile1", "u1"}, {"Other", "u2"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  EXPECT_EQ(list_.RenameProfile("OTHER").message_key, "message_text_5");
  EXPECT_EQ(list_.RenameProfile("   ").message_key, "message_text_25");
  EXPECT_EQ(list_.RenameProfile("A&B").message_key, "message_text_5_3");
  EXPECT_EQ(list_.RenameProfile(std::string(10000, 'x')).message_key, "name_too_long_text");
  EXPECT_EQ(list_.RenameProfile("two\nlines").message_key, "name_invalid_text");
  EXPECT_EQ(ListFile()["profilelist"][0]["profilename"].asString(), "profile1");

  ASSERT_TRUE(list_.RenameProfile("PROFILE1").done());  // a change of case alone
  ASSERT_TRUE(list_.RenameProfile("Игра 游戏").done());
  EXPECT_EQ(list_.NameEditText(), "Игра 游戏");
  EXPECT_EQ(ListFile()["profilelist"][0]["profilename"].asString(), "Игра 游戏");
  EXPECT_EQ(ProfileFile(0)["profilename"].asString(), "Игра 游戏");
  EXPECT_EQ(ProfileFile(0)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
}

TEST_F(ProfileListTest, Delete_SingleProfileDoesNothing) {
  WriteList({{"only", "u1"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  EXPECT_FALSE(list_.DeleteProfile().done());
  EXPECT_TRUE(std::filesystem::exists(folder_ + "u1.Json"));
  EXPECT_EQ(list_.Entries().size(), 1u);
}

TEST_F(ProfileListTest, Delete_FirstOfThreeSelectsNewFirst) {
  WriteList({{"a", "u1"}, {"b", "u2"}, {"c", "u3"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_TRUE(list_.DeleteProfile().done());
  EXPECT_FALSE(std::filesystem::exists(folder_ + "u1.Json"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
  EXPECT_EQ(list_.GetSelectedProfile(), 0);
  EXPECT_EQ(list_.GetActiveProfileUuid(), "u2");
}

TEST_F(ProfileListTest, Delete_LaterSelectsThePreviousOne) {
  WriteList({{"a", "u1"}, {"b", "u2"}, {"c", "u3"}}, 2);
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_TRUE(list_.DeleteProfile().done());
  EXPECT_EQ(list_.GetActiveProfileUuid(), "u2");
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 1);
}

TEST_F(ProfileListTest, Reset_HeadsetKeepsCustomEqualiser) {
  list_.SetDeviceKind(ProfileList::kHeadsetKind);
  WriteList({{"hs", "u1"}});
  Json::Value profile = CGlobalUtils::ParseJsonFile(folder_ + "u1.Json");
  profile["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
  profile["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 5;
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "u1.Json", profile));
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_TRUE(list_.ResetProfile().done());
  const Json::Value reset = ProfileFile(0);
  EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
  EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "mine");
  EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 5);
  EXPECT_EQ(reset["profilename"].asString(), "hs");
  EXPECT_EQ(reset["profileUUID"].asString(), "u1");
}

TEST_F(ProfileListTest, Reset_OtherKindsTakeEverythingFromDefaults) {
  WriteList({{"kb", "u1"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_TRUE(list_.ResetProfile().done());
  EXPECT_EQ(ProfileFile(0)["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "factory");
}

TEST_F(ProfileListTest, Export_WritesStyledProfile) {
  WriteList({{"kb", "u1"}});
  ASSERT_TRUE(list_.LoadProfileList().done());
  const std::string target = temp_.File("out.json");
  ASSERT_TRUE(list_.ExportProfile(target).done());
  EXPECT_EQ(ReadText(target), ReadText(folder_ + "u1.Json"));
}

TEST_F(ProfileListTest, Select_OutOfRangeSelectsFirst) {
  WriteList({{"a", "u1"}, {"b", "u2"}}, 7);
  ASSERT_TRUE(list_.LoadProfileList().done());
  EXPECT_EQ(list_.GetActiveProfileUuid(), "u1");
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 7);  // loading writes nothing
  ASSERT_TRUE(list_.SelectProfile(1).done());
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 1);
  EXPECT_EQ(list_.GetActiveProfileUuid(), "u2");
  EXPECT_EQ(list_.NameEditText(), "b");
}

TEST_F(ProfileListTest, Load_RepairsDamagedList) {
  WriteText(folder_ + "ProfileList.ini", R"({"profilelist":[
      {"profilename":"a","profileUUID":"../../escape"},
      {"profilename":"b","profileUUID":"u2"},
      {"profilename":"B","profileUUID":"u2"},
      7,
      {"profilename":5,"profileUUID":"u4"}],
    "profileselect":"x"})");
  ASSERT_TRUE(list_.LoadProfileList().done());
  ASSERT_EQ(list_.Entries().size(), 4u);
  EXPECT_EQ(list_.Entries()[0].name, "a");
  EXPECT_NE(list_.Entries()[0].uuid, "../../escape");
  EXPECT_EQ(list_.Entries()[1].uuid, "u2");
  EXPECT_NE(list_.Entries()[2].uuid, "u2");
  EXPECT_EQ(list_.Entries()[2].name, "B(1)");
  EXPECT_EQ(list_.Entries()[3].name, "profile1");
  for (const ProfileEntry& entry : list_.Entries()) EXPECT_EQ(entry.uuid.find('/'), std::string::npos);
  // Nothing was made outside the device folder; the repaired list is on disk.
  EXPECT_FALSE(std::filesystem::exists(temp_.path() + "/escape.Json"));
  EXPECT_EQ(ListFile()["profilelist"].size(), 4u);
  EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
}

TEST_F(ProfileListTest, Load_NonArrayListStartsOver) {
  WriteText(folder_ + "ProfileList.ini", R"({"profilelist":{"profilename":"a","profileUUID":"u1"}})");
  ASSERT_TRUE(list_.LoadProfileList().done());
  EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});
}

}  // namespace
}  // namespace zt640
