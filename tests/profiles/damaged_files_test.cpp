// Damaged files: a read writes nothing; the save that replaces one keeps it as ".bak" first
// and the user is told once. Stale temporary files of a killed save go with the next save.
#include "profiles/damaged_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/colour_palette_file.h"
#include "profiles/global_utils.h"
#include "profiles/macro_library.h"
#include "profiles/profile_list.h"
#include "profiles/shoot_data.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

const std::string kDefaults = std::string(ZT640_SOURCE_DIR) + "/data/DefaultData/";

/// A damaged file of one owner: what reading it does and what saving over it does.
struct DamagedCase {
  const char* name;
  const char* file;  ///< inside the device folder
  std::string bytes;
  std::map<std::string, std::string> beside;  ///< intact files the case needs
  /// A read as the window's start or a read-only command does it; returns what it showed.
  std::function<std::string(const std::string& folder)> read;
  /// A change the owner saves; false when the save failed.
  std::function<bool(const std::string& folder)> save;
};

ProfileList Profiles(const std::string& folder) {
  ProfileList list;
  list.SetDeviceKind(DeviceKind::kKeyboard);
  list.SetProfileFolders(folder, kDefaults + "keyboard.Json");
  return list;
}

MacroLibrary Macros(const std::string& folder) {
  MacroLibrary library;
  library.SetMacroFolder(folder);
  return library;
}

ShootData Shoot(const std::string& folder) {
  ShootData shoot;
  shoot.SetShootFolders(folder, kDefaults);
  return shoot;
}

CBasicProfiledata Profile() {
  CBasicProfiledata data;
  data.SetDefaultProfilePath(kDefaults + "keyboard.Json");
  return data;
}

const std::vector<DamagedCase>& Cases() {
  static const std::vector<DamagedCase> cases = {
      {"MacroLibraryStrayComma", "macro.config", R"({"MacroInfo":[{"MacroName":"fire","Guid":"g1"},]})", {},
       [](const std::string& folder) {
         MacroLibrary library = Macros(folder);
         EXPECT_TRUE(library.LoadMacroList().done());
         return std::to_string(library.Entries().size());
       },
       [](const std::string& folder) { return Macros(folder).AddMacro().done(); }},
      {"MacroLibraryWrongShape", "macro.config", R"({"MacroInfo":{"MacroName":"fire"}})", {},
       [](const std::string& folder) {
         MacroLibrary library = Macros(folder);
         EXPECT_TRUE(library.LoadMacroList().done());
         return std::to_string(library.Entries().size());
       },
       [](const std::string& folder) { return Macros(folder).AddMacro().done(); }},
      {"MacroFileTruncated", "g1.mac", R"({"Events":[{"Action":"down","Type":10,"Bu)",
       {{"macro.config", R"({"MacroInfo":[{"MacroName":"fire","Guid":"g1"}]})"}},
       [](const std::string& folder) {
         MacroLibrary library = Macros(folder);
         EXPECT_TRUE(library.LoadMacroList().done());
         library.SelectMacro(0);
         return std::to_string(library.Events().size());
       },
       [](const std::string& folder) {
         MacroLibrary library = Macros(folder);
         EXPECT_TRUE(library.LoadMacroList().done());
         library.SelectMacro(0);
         return library.SaveSelectedMacro().done();
       }},
      {"ProfileListTruncated", "ProfileList.ini", R"({"profilelist":[{"profilename":"Game","profileUU)",
       {{"2023_07_04_09_05_31_042.Json", R"({"profilename":"Game","profileUUID":"2023_07_04_09_05_31_042"})"}},
       [](const std::string& folder) {
         ProfileList list = Profiles(folder);
         EXPECT_TRUE(list.LoadProfileList().done());
         return std::to_string(list.Entries().size());
       },
       [](const std::string& folder) { return Profiles(folder).AddProfile().done(); }},
      {"ShootTruncated", "ShootData_0.Shoot", R"({"Events":[{"Action":"down","Button":1,)", {},
       [](const std::string& folder) {
         ShootData shoot = Shoot(folder);
         EXPECT_TRUE(shoot.InitShootData().done());
         shoot.SelectGun(0);
         shoot.SelectBullet(0);
         return shoot.Fields().y_text + "/" + shoot.Fields().delay_text;
       },
       [](const std::string& folder) {
         ShootData shoot = Shoot(folder);
         shoot.SelectGun(0);
         shoot.SelectBullet(1);
         shoot.Fields().x_text = "9";
         return shoot.SaveBullet().done();
       }},
      {"ProfileTruncated", "p1.Json", R"({"profilename":"Mine","Device":[{"LightInfo":{"Sel)", {},
       [](const std::string& folder) {
         CBasicProfiledata data = Profile();
         data.LoadProfile(folder + "p1.Json");
         return std::to_string(data.GetLightInfo().mode);
       },
       [](const std::string& folder) {
         CBasicProfiledata data = Profile();
         data.SetProfilePath(folder + "p1.Json");
         data.LoadProfile(folder + "p1.Json");
         data.SetLightInfo(LightEffect{.mode = 4});
         return data.Save();
       }},
      {"ProfileDeviceNotAList", "p1.Json", R"({"profilename":"Mine","Device":{"LightInfo":{}}})", {},
       [](const std::string& folder) {
         CBasicProfiledata data = Profile();
         data.LoadProfile(folder + "p1.Json");
         return std::to_string(data.GetLightInfo().mode);
       },
       [](const std::string& folder) {
         CBasicProfiledata data = Profile();
         data.SetProfilePath(folder + "p1.Json");
         data.LoadProfile(folder + "p1.Json");
         return data.Save();
       }},
      {"PaletteZeroBytes", "color_option_info.config", std::string(4, '\0'), {},
       [](const std::string& folder) {
         ColourPaletteFile palette;
         const auto result = palette.Load(folder + "color_option_info.config", kDefaults + "color_option_info.config");
         return std::to_string(static_cast<int>(result));
       },
       [](const std::string& folder) {
         ColourPaletteFile palette;
         (void)palette.Load(folder + "color_option_info.config", kDefaults + "color_option_info.config");
         return palette.Save(folder + "color_option_info.config");
       }},
  };
  return cases;
}

class DamagedFileTest : public ::testing::TestWithParam<size_t> {
 protected:
  void SetUp() override {
    DamagedFiles::Reset();
    DamagedFiles::SetListener([this](const DamagedFileNotice& notice) { notices_.push_back(notice); });
    folder_ = temp_.path() + "/device/";
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { DamagedFiles::SetListener(nullptr); }

  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      files[entry.path().filename().string()] = ReadText(entry.path().string());
    }
    return files;
  }

  TempFolder temp_;
  std::string folder_;
  std::vector<DamagedFileNotice> notices_;
};

TEST_P(DamagedFileTest, ReadWritesNothingSaveKeepsBackupAndTellsOnce) {
  const DamagedCase& c = Cases()[GetParam()];
  const std::string path = folder_ + c.file;
  const std::string& bytes = c.bytes;
  WriteText(path, bytes);
  for (const auto& [name, text] : c.beside) WriteText(folder_ + name, text);

  c.read(folder_);  // creates the missing files a first start creates (the other guns)
  const auto before = Snapshot();
  const std::string shown = c.read(folder_);
  EXPECT_EQ(c.read(folder_), shown);
  EXPECT_EQ(Snapshot(), before) << "a read changed the folder";
  EXPECT_EQ(ReadText(path), bytes);
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));

  ASSERT_TRUE(c.save(folder_));
  EXPECT_EQ(ReadText(path + ".bak"), bytes);
  EXPECT_EQ(CGlobalUtils::ReadJsonFile(path).state, JsonFileState::kParsed);
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(path).isObject());
  // A second save replaces a file that is no longer damaged: the copy stays the original.
  ASSERT_TRUE(c.save(folder_));
  EXPECT_EQ(ReadText(path + ".bak"), bytes);

  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(std::filesystem::path(notices_[0].path), std::filesystem::weakly_canonical(path));
  EXPECT_EQ(notices_[0].backup_path, notices_[0].path + ".bak");
}

INSTANTIATE_TEST_SUITE_P(Owners, DamagedFileTest, ::testing::Range<size_t>(0, 8),
                         [](const ::testing::TestParamInfo<size_t>& info) { return Cases()[info.param].name; });

TEST_F(DamagedFileTest, ReadsShowWhatThePartGivesForADamagedFile) {
  WriteText(folder_ + "macro.config", R"({"MacroInfo":[{"MacroName":"fire","Guid":"g1"},]})");
  EXPECT_EQ(Cases()[0].read(folder_), "0");  // an empty library
  // A damaged gun reads as its default file: bullet 0 of the shipped gun 0.
  WriteText(folder_ + "ShootData_0.Shoot", "{\"Events\":[");
  ShootData defaults = Shoot(temp_.path() + "/fresh/");
  std::filesystem::create_directories(temp_.path() + "/fresh/");
  ASSERT_TRUE(defaults.InitShootData().done());
  defaults.SelectGun(0);
  defaults.SelectBullet(0);
  EXPECT_EQ(Cases()[4].read(folder_), defaults.Fields().y_text + "/" + defaults.Fields().delay_text);
}

TEST_F(DamagedFileTest, DamagedProfileListIsRebuiltFromTheProfileFiles) {
  const auto profile = [this](const std::string& uuid, const std::string& name) {
    Json::Value document;
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    document["Device"][0]["LightInfo"]["SelectItem"] = 2;
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + uuid + ".Json", document));
  };
  profile("2024_01_02_03_04_05_006", "Game");
  profile("2023_07_04_09_05_31_042", "Work");
  profile("2024_05_05_05_05_05_005", "game");
  WriteText(folder_ + "settings.Json", R"({"other":"file"})");  // not a profile
  WriteText(folder_ + "ProfileList.ini", R"({"profilelist":[{"profilename":"Work","profileUUID":"2023_07)");

  ProfileList list = Profiles(folder_);
  ASSERT_TRUE(list.LoadProfileList().done());
  EXPECT_EQ(list.Entries(), (std::vector<ProfileEntry>{{"Work", "2023_07_04_09_05_31_042"},
                                                       {"Game", "2024_01_02_03_04_05_006"},
                                                       {"game(1)", "2024_05_05_05_05_05_005"}}));
  EXPECT_EQ(list.GetActiveProfileUuid(), "2023_07_04_09_05_31_042");
  // The first change writes the rebuilt list, the damaged one kept aside.
  ASSERT_TRUE(list.AddProfile().done());
  const Json::Value written = CGlobalUtils::ParseJsonFile(list.ListFilePath());
  ASSERT_EQ(written["profilelist"].size(), 4u);
  EXPECT_EQ(written["profilelist"][1]["profileUUID"].asString(), "2024_01_02_03_04_05_006");
  EXPECT_TRUE(std::filesystem::exists(list.ListFilePath() + ".bak"));
}

TEST_F(DamagedFileTest, DamagedProfileListWithoutProfileFilesStartsOverKeepingACopy) {
  WriteText(folder_ + "ProfileList.ini", "{\"profilelist\":[");
  ProfileList list = Profiles(folder_);
  ASSERT_TRUE(list.LoadProfileList().done());
  EXPECT_EQ(list.Entries().size(), 1u);
  EXPECT_EQ(list.Entries()[0].name, "profile1");
  EXPECT_EQ(ReadText(folder_ + "ProfileList.ini.bak"), "{\"profilelist\":[");
}

TEST_F(DamagedFileTest, MissingFilesAreStillCreatedAndTellNothing) {
  ProfileList list = Profiles(folder_);
  ASSERT_TRUE(list.LoadProfileList().done());
  EXPECT_TRUE(std::filesystem::exists(list.ListFilePath()));
  EXPECT_TRUE(std::filesystem::exists(list.GetProfilePathAt(0)));
  ShootData shoot = Shoot(folder_);
  ASSERT_TRUE(shoot.InitShootData().done());
  EXPECT_EQ(ReadText(shoot.GunFilePath(3)), ReadText(kDefaults + "ShootData_3.Shoot"));
  WriteText(folder_ + "macro.config", "");  // an empty file holds nothing to keep
  ASSERT_TRUE(Macros(folder_).AddMacro().done());
  EXPECT_FALSE(std::filesystem::exists(folder_ + "macro.config.bak"));
  EXPECT_TRUE(notices_.empty());
  for (const auto& [name, bytes] : Snapshot()) EXPECT_EQ(name.find(".bak"), std::string::npos) << name;
}

TEST_F(DamagedFileTest, NoticesBeforeAListenerAreHandedOverOnce) {
  DamagedFiles::SetListener(nullptr);
  WriteText(folder_ + "a.json", "{");
  (void)CGlobalUtils::ParseJsonFile(folder_ + "a.json");
  (void)CGlobalUtils::ParseJsonFile(folder_ + "a.json");
  EXPECT_TRUE(notices_.empty());
  DamagedFiles::SetListener([this](const DamagedFileNotice& notice) { notices_.push_back(notice); });
  DamagedFiles::SetListener([this](const DamagedFileNotice& notice) { notices_.push_back(notice); });
  EXPECT_EQ(notices_.size(), 1u);
}

TEST_F(DamagedFileTest, FileFixedByHandIsNotCopiedOverTheBackup) {
  const std::string path = folder_ + "macro.config";
  WriteText(path, "{broken");
  (void)CGlobalUtils::ParseJsonFile(path);
  WriteText(path, R"({"MacroInfo":[], "hand":"fixed and longer"})");
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, Json::Value(Json::objectValue)));
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}

TEST_F(DamagedFileTest, StaleTemporaryFilesOfAKilledSaveGoWithTheNextSave) {
  const std::string path = folder_ + "ProfileList.ini";
  const std::string stale = folder_ + ".ProfileList.ini.tmp99999999_7";  // no such process
  const std::string running = folder_ + ".ProfileList.ini.tmp" + std::to_string(::getppid()) + "_1";
  const std::string other_file = folder_ + ".macro.config.tmp99999999_7";
  const std::string not_a_temporary = folder_ + ".ProfileList.ini.tmp99999999_7x";
  for (const std::string& file : {stale, running, other_file, not_a_temporary}) WriteText(file, "{\"half\":");
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, Json::Value(Json::objectValue)));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(running));  // a save that may still be in progress
  EXPECT_TRUE(std::filesystem::exists(other_file));
  EXPECT_TRUE(std::filesystem::exists(not_a_temporary));
}

TEST_F(DamagedFileTest, BackupThatCannotBeMadeStopsTheReplacement) {
  const std::string path = folder_ + "macro.config";
  WriteText(path, "{broken");
  (void)CGlobalUtils::ParseJsonFile(path);
  std::filesystem::create_directory(path + ".bak");  // a folder where the copy must go
  EXPECT_FALSE(CGlobalUtils::WriteJsonFile(path, Json::Value(Json::objectValue)));
  EXPECT_EQ(ReadText(path), "{broken");
}

}  // namespace
}  // namespace zt640
