// The music styles file: default and user copies, the seventeen members, and
// rewrites that keep everything else.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "audio/audio_style_file.h"
#include "profiles/damaged_files.h"
#include "profiles/global_utils.h"

namespace zt640 {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

constexpr char kDefaults[] = R"({"Device":{"AudioLightInfo":{"nAudioStyle":1,
  "nStyleName1":"A","nStyleName2":"B","nStyleName3":"C","nStyleName4":"D",
  "nStyleR0":1,"nStyleG0":2,"nStyleB0":3,"nStyleR1":4,"nStyleG1":5,"nStyleB1":6,
  "nStyleR2":7,"nStyleG2":8,"nStyleB2":9,"nStyleR3":0,"nStyleG3":1,"nStyleB3":2}}})";

class AudioStyleFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DamagedFiles::Reset();
    char pattern[] = "/tmp/zt640-styles-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    std::ofstream(DefaultPath()) << kDefaults;
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    DamagedFiles::Reset();
  }
  [[nodiscard]] std::string UserPath() const { return folder_ + "/user/AudioFile.json"; }
  [[nodiscard]] std::string DefaultPath() const { return folder_ + "/AudioFile.json"; }
  void WriteUser(const std::string& text) const {
    std::filesystem::create_directories(folder_ + "/user");
    std::ofstream(UserPath(), std::ios::binary) << text;
  }

  std::string folder_;
};

TEST_F(AudioStyleFileTest, StartUpFallsBackToTheDefaultCopy) {
  struct Case {
    const char* name;
    std::string user;        ///< empty: no user copy
    int selected;            ///< styles read afterwards
    bool keeps_backup;       ///< the old user copy kept as ".bak"
    const char* kept_member; ///< a member of the old copy still in the new one
  };
  const Case cases[] = {
      {"Missing", "", 1, false, nullptr},
      {"Damaged", "{\"Device\": {\"AudioLightInfo\": ", 1, true, nullptr},
      {"NoDevice", R"({"Other":{"x":1}})", 1, false, "Other"},
      {"DeviceNotAnObject", R"({"Device":null,"Other":2})", 1, false, "Other"},
      {"OwnStyles", R"({"Device":{"AudioLightInfo":{"nAudioStyle":3}},"Other":2})", 3, false, "Other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(folder_ + "/user");
    std::filesystem::create_directories(folder_ + "/user");
    if (!c.user.empty()) WriteUser(c.user);
    AudioStyleFile file;
    file.Open(UserPath(), DefaultPath());
    EXPECT_EQ(file.LoadAudioStyles().selected, c.selected);
    const Json::Value written = CGlobalUtils::ParseJsonFile(UserPath());
    EXPECT_TRUE(written["Device"]["AudioLightInfo"].isObject());
    if (c.kept_member != nullptr) {
      EXPECT_TRUE(written.isMember(c.kept_member));
    }
    EXPECT_EQ(std::filesystem::exists(UserPath() + ".bak"), c.keeps_backup);
    if (c.keeps_backup) {
      EXPECT_EQ(Read(UserPath() + ".bak"), c.user);
    }
  }
}

TEST_F(AudioStyleFileTest, ReadsMembersAsThePartGivesThem) {
  WriteUser(R"({"Device":{"AudioLightInfo":{"nAudioStyle":2,"nStyleName2":"低音","nStyleR1":300,"nStyleG1":"7",
    "nStyleB1":9}}})");
  AudioStyleFile file;
  file.Open(UserPath(), DefaultPath());
  const AudioStyleSet styles = file.LoadAudioStyles();
  EXPECT_EQ(styles.selected, 2);
  EXPECT_EQ(styles.names[0], L"");   // missing: empty
  EXPECT_EQ(styles.names[1], L"低音");
  EXPECT_EQ(styles.Red(1), 300 & 0xFF);  // cut to 8 bits
  EXPECT_EQ(styles.Green(1), 0);         // not a number: 0
  EXPECT_EQ(styles.Blue(1), 9);
  EXPECT_EQ(styles.Red(3), 0);
  EXPECT_EQ(file.Cache(), styles);
}

TEST_F(AudioStyleFileTest, StoreSaveAndRestore) {
  WriteUser(R"({"Device":{"AudioLightInfo":{"nAudioStyle":0,"Extra":5},"Other":"kept"},"Top":[1,2]})");
  AudioStyleFile file;
  file.Open(UserPath(), DefaultPath());
  AudioStyleSet styles = file.LoadAudioStyles();
  styles.selected = 3;
  styles.names[3] = L"第四组";
  styles.Red(3) = 9;
  styles.Green(3) = 0;
  file.StoreAudioStyles(styles);
  // Stored, not yet written.
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(UserPath())["Device"]["AudioLightInfo"]["nAudioStyle"].asInt(), 0);
  ASSERT_TRUE(file.SaveAudioStyleFile());
  const Json::Value saved = CGlobalUtils::ParseJsonFile(UserPath());
  const Json::Value& info = saved["Device"]["AudioLightInfo"];
  EXPECT_EQ(info.size(), 17u);
  EXPECT_EQ(info["nAudioStyle"].asInt(), 3);
  EXPECT_EQ(info["nStyleName4"].asString(), "第四组");
  EXPECT_EQ(info["nStyleR3"].asInt(), 9);
  EXPECT_EQ(saved["Device"]["Other"].asString(), "kept");
  EXPECT_EQ(saved["Top"].size(), 2u);
  // A reopened file reads what was saved.
  AudioStyleFile again;
  again.Open(UserPath(), DefaultPath());
  EXPECT_EQ(again.LoadAudioStyles(), styles);

  ASSERT_TRUE(file.RestoreAudioStyles());
  EXPECT_EQ(file.Cache().selected, 1);
  EXPECT_EQ(file.Cache().Red(2), 7);
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(UserPath())["Device"]["AudioLightInfo"]["nAudioStyle"].asInt(), 1);
}

TEST(AudioStyleFileShipped, DefaultCopyHasEveryMember) {
  AudioStyleFile file;
  char pattern[] = "/tmp/zt640-styles-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  file.Open(folder + "/AudioFile.json", std::string(ZT640_SOURCE_DIR) + "/data/DefaultData/AudioFile.json");
  const Json::Value& info = file.Document()["AudioLightInfo"];
  EXPECT_EQ(info.size(), 17u);
  const AudioStyleSet styles = file.LoadAudioStyles();
  for (const std::uint8_t value : styles.values) EXPECT_LE(value, AudioStyleSet::kMaxWeight);
  for (const std::wstring& name : styles.names) EXPECT_FALSE(name.empty());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zt640
