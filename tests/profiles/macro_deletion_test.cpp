#include "profiles/macro_deletion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "profiles/global_utils.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

constexpr int32_t kDefaultA = 0x200004;  // keyboard key A

int32_t Packed(uint8_t type, uint8_t param1, uint8_t param2) { return type << 16 | param1 << 8 | param2; }

/// A device folder with five macros and three profiles whose keys play them.
class MacroDeletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() + "/keyboard/";
    std::filesystem::create_directories(folder_);
    Json::Value library;
    for (int i = 0; i < 5; ++i) {
      library["MacroInfo"][i]["MacroName"] = "m" + std::to_string(i);
      library["MacroInfo"][i]["Guid"] = "g" + std::to_string(i);
      WriteText(folder_ + "g" + std::to_string(i) + ".mac", "{\"Events\":[]}");
    }
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "macro.config", library));

    Json::Value list;
    for (int p = 0; p < 3; ++p) {
      const std::string uuid = "p" + std::to_string(p);
      list["profilelist"][p]["profilename"] = uuid;
      list["profilelist"][p]["profileUUID"] = uuid;
      Json::Value profile;
      profile["profilename"] = uuid;
      profile["profileUUID"] = uuid;
      Json::Value& keys = profile["Device"][0]["KeyList"];
      keys[0]["Assignment"] = Packed(0x70, 3, 1);  // a later macro
      keys[1]["Assignment"] = Packed(0x71, 2, 5);  // the deleted macro when it is 2
      keys[2]["Assignment"] = Packed(0x70, 1, 0);  // an earlier macro
      keys[3]["Assignment"] = Packed(0x20, 0, 9);  // no macro
      for (int k = 0; k < 4; ++k) keys[k]["DefaultAssignment"] = kDefaultA;
      ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + uuid + ".Json", profile));
    }
    list["profileselect"] = 1;
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "ProfileList.ini", list));

    library_.SetMacroFolder(folder_);
    ASSERT_TRUE(library_.LoadMacroList().done());
    profiles_.SetDeviceKind(DeviceKind::kKeyboard);
    profiles_.SetProfileFolders(folder_, temp_.File("none.Json"));
    ASSERT_TRUE(profiles_.LoadProfileList().done());
    active_.SetProfilePath(profiles_.GetProfilePathAt(1));
    active_.LoadProfile(active_.GetProfilePath());
  }

  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      files[entry.path().filename().string()] = ReadText(entry.path().string());
    }
    return files;
  }

  std::vector<int32_t> Assignments(const std::string& uuid) const {
    const Json::Value profile = CGlobalUtils::ParseJsonFile(folder_ + uuid + ".Json");
    std::vector<int32_t> values;
    for (const Json::Value& key : profile["Device"][0]["KeyList"]) values.push_back(key["Assignment"].asInt());
    return values;
  }

  static MacroDeletionConfirmations Answers(bool delete_answer, bool in_use_answer, int* asked_in_use) {
    return MacroDeletionConfirmations{[delete_answer] { return delete_answer; },
                                      [in_use_answer, asked_in_use] {
                                        ++*asked_in_use;
                                        return in_use_answer;
                                      }};
  }

  TempFolder temp_;
  std::string folder_;
  MacroLibrary library_;
  ProfileList profiles_;
  CBasicProfiledata active_;
};

TEST_F(MacroDeletionTest, DeletingMacro2FixesEveryProfile) {
  library_.SelectMacro(2);
  int asked = 0;
  const MacroDeletionOutcome outcome =
      MacroDeletion::DeleteWithReferences(library_, profiles_, active_, Answers(true, true, &asked));
  ASSERT_TRUE(outcome.result.done());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(outcome.position, 2);
  EXPECT_TRUE(outcome.active_changed);
  EXPECT_EQ(outcome.profiles_changed, 2);
  const std::vector<int32_t> expected{Packed(0x70, 2, 1), kDefaultA, Packed(0x70, 1, 0), Packed(0x20, 0, 9)};
  for (const char* uuid : {"p0", "p1", "p2"}) EXPECT_EQ(Assignments(uuid), expected) << uuid;
  EXPECT_EQ(outcome.active_list[0].current.assignment, (KeyAssignment{0x70, 2, 1}));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "g2.mac"));
  const Json::Value library = CGlobalUtils::ParseJsonFile(folder_ + "macro.config");
  ASSERT_EQ(library["MacroInfo"].size(), 4u);
  EXPECT_EQ(library["MacroInfo"][2]["Guid"].asString(), "g3");
}

TEST_F(MacroDeletionTest, UnusedMacroAsksOnce) {
  library_.SelectMacro(4);
  int asked = 0;
  const MacroDeletionOutcome outcome =
      MacroDeletion::DeleteWithReferences(library_, profiles_, active_, Answers(true, false, &asked));
  ASSERT_TRUE(outcome.result.done());
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(outcome.active_changed);
  EXPECT_EQ(outcome.profiles_changed, 0);
}

TEST_F(MacroDeletionTest, DecliningEitherQuestionChangesNothing) {
  const auto before = Snapshot();
  for (const bool delete_answer : {false, true}) {
    library_.SelectMacro(2);
    int asked = 0;
    const MacroDeletionOutcome outcome =
        MacroDeletion::DeleteWithReferences(library_, profiles_, active_, Answers(delete_answer, false, &asked));
    EXPECT_FALSE(outcome.result.done());
    EXPECT_EQ(outcome.position, -1);
    EXPECT_EQ(asked, delete_answer ? 1 : 0);
    EXPECT_EQ(Snapshot(), before);
  }
}

TEST(MacroFixUpTest, OtherTypesUntouched) {
  std::vector<KeyListEntry> list(3);
  list[0].current.assignment = {0x72, 2, 0};
  list[1].current.assignment = {0x70, 0, 3};
  list[2].current.assignment = {0x71, 1, 0};
  list[2].defaults.assignment = {0x20, 0, 4};
  EXPECT_FALSE(MacroDeletion::FixUp(list, 5));
  EXPECT_TRUE(MacroDeletion::UsesMacro(list, 1));
  EXPECT_TRUE(MacroDeletion::FixUp(list, 1));
  EXPECT_EQ(list[0].current.assignment, (KeyAssignment{0x72, 2, 0}));
  EXPECT_EQ(list[1].current.assignment, (KeyAssignment{0x70, 0, 3}));
  EXPECT_EQ(list[2].current.assignment, (KeyAssignment{0x20, 0, 4}));
}

}  // namespace
}  // namespace zt640
