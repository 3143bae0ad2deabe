#include "profiles/shoot_data.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profiles/global_utils.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

class ShootDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() + "/mouse/";
    defaults_ = temp_.path() + "/defaults/";
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(defaults_);
    for (int gun = 0; gun < 4; ++gun) {
      Json::Value document;
      for (int bullet = 0; bullet < 30; ++bullet) {
        const Json::Value events = ShootData::BulletEvents(bullet % 2 == 0, gun, false, bullet, 100 + gun);
        for (const Json::Value& event : events) document["Events"].append(event);
      }
      ASSERT_TRUE(CGlobalUtils::WriteJsonFile(defaults_ + "ShootData_" + std::to_string(gun) + ".Shoot", document));
    }
    shoot_.SetShootFolders(folder_, defaults_);
  }

  Json::Value Gun(int gun) const { return CGlobalUtils::ParseJsonFile(shoot_.GunFilePath(gun)); }

  TempFolder temp_;
  std::string folder_;
  std::string defaults_;
  ShootData shoot_;
};

TEST_F(ShootDataTest, Init_CopiesDefaultsForMissingOrEmptyFilesOnly) {
  WriteText(shoot_.GunFilePath(1), "{broken");
  WriteText(shoot_.GunFilePath(2), "{\"Events\":[],\"Mine\":1}");
  WriteText(shoot_.GunFilePath(3), "");
  ASSERT_TRUE(shoot_.InitShootData().done());
  EXPECT_EQ(ReadText(shoot_.GunFilePath(0)), ReadText(shoot_.DefaultGunFilePath(0)));
  EXPECT_EQ(ReadText(shoot_.GunFilePath(3)), ReadText(shoot_.DefaultGunFilePath(3)));
  // A damaged gun is left for the user; it shows the default pattern until saved.
  EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), "{broken");
  shoot_.SelectGun(1);
  shoot_.SelectBullet(3);
  EXPECT_EQ(shoot_.Fields().delay_text, "101");
  EXPECT_EQ(ReadText(shoot_.GunFilePath(2)), "{\"Events\":[],\"Mine\":1}");
}

TEST_F(ShootDataTest, SaveBullet_WritesSixEventsInPlace) {
  ASSERT_TRUE(shoot_.InitShootData().done());
  shoot_.SelectGun(0);
  shoot_.SelectBullet(0);
  BulletFields& fields = shoot_.Fields();
  fields = BulletFields{true, false, "12", "30", "90"};
  ASSERT_TRUE(shoot_.SaveBullet().done());
  const Json::Value events = Gun(0)["Events"];
  ASSERT_EQ(events.size(), 180u);
  const char* expected[6][4] = {{"down", "1", "10", "1"}, {"up", "1", "0", "1"},  {"down", "12", "5", "4"},
                                {"up", "30", "90", "5"},  {"down", "0", "0", "4"}, {"up", "0", "0", "5"}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(events[i]["Action"].asString(), expected[i][0]) << i;
    EXPECT_EQ(events[i]["Button"], Json::Value(std::stoi(expected[i][1]))) << i;
    EXPECT_EQ(events[i]["Delay"], Json::Value(std::stoi(expected[i][2]))) << i;
    EXPECT_EQ(events[i]["Type"], Json::Value(std::stoi(expected[i][3]))) << i;
  }
  EXPECT_EQ(events[8]["Button"].asInt(), 0);  // bullet 1 untouched
  EXPECT_EQ(events[9]["Button"].asInt(), 1);
}

TEST_F(ShootDataTest, SaveBullet_GrowsShortFileWithNulls) {
  WriteText(shoot_.GunFilePath(3), "{\"Events\":[],\"Name\":\"kept\"}");
  shoot_.SelectGun(3);
  shoot_.SelectBullet(5);
  shoot_.Fields() = BulletFields{false, true, "x", "-4", "70000"};
  ASSERT_TRUE(shoot_.SaveBullet().done());
  const Json::Value document = Gun(3);
  EXPECT_EQ(document["Name"].asString(), "kept");
  ASSERT_EQ(document["Events"].size(), 36u);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(document["Events"][i].isNull()) << i;
  EXPECT_EQ(document["Events"][32]["Button"].asInt(), 0);   // no number
  EXPECT_EQ(document["Events"][33]["Button"].asInt(), 0);   // negative distance
  EXPECT_EQ(document["Events"][33]["Delay"].asInt(), 65535);
  EXPECT_EQ(document["Events"][33]["Action"].asString(), "down");
}

TEST_F(ShootDataTest, Bullet29OfGun3IsTheLastSixElements) {
  ASSERT_TRUE(shoot_.InitShootData().done());
  shoot_.SelectGun(7);
  EXPECT_EQ(shoot_.SelectedGun(), 3);
  shoot_.SelectBullet(30);
  EXPECT_EQ(shoot_.SelectedBullet(), 29);
  EXPECT_EQ(shoot_.BulletNumber(), 30);
  EXPECT_EQ(shoot_.Fields(), (BulletFields{false, false, "3", "29", "103"}));
  shoot_.SelectBullet(-1);
  EXPECT_EQ(shoot_.SelectedBullet(), 0);
  EXPECT_EQ(shoot_.Fields(), (BulletFields{true, false, "3", "0", "103"}));
  EXPECT_STREQ(shoot_.XLabelKey(), "mouse_move_to_left_text");
  EXPECT_STREQ(shoot_.YLabelKey(), "mouse_move_to_down_text");
}

TEST_F(ShootDataTest, ImportExportAreByteExactAndImportIsChecked) {
  ASSERT_TRUE(shoot_.InitShootData().done());
  shoot_.SelectGun(1);
  const std::string good = "{\"Events\":[null,{\"Action\":\"down\",\"Button\":1,\"Delay\":10,\"Type\":1}]}\n";
  WriteText(temp_.File("in.shoot"), good);
  ASSERT_TRUE(shoot_.ImportGun(temp_.File("in.shoot")).done());
  EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), good);
  ASSERT_TRUE(shoot_.ExportGun(temp_.File("out.shoot")).done());
  EXPECT_EQ(ReadText(temp_.File("out.shoot")), good);

  for (const std::string& bad : {std::string("[]"), std::string("{\"Events\":{}}"),
                                 std::string("{\"Events\":[{\"Button\":\"1\"}]}"), std::string("{oops")}) {
    WriteText(temp_.File("bad.shoot"), bad);
    EXPECT_EQ(shoot_.ImportGun(temp_.File("bad.shoot")).message_key, "import_invalid_shoot_text");
  }
  EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), good);
}

TEST_F(ShootDataTest, ResetWithoutDefaultLeavesEmptyFile) {
  std::filesystem::remove(shoot_.DefaultGunFilePath(2));
  ASSERT_TRUE(shoot_.ResetGun(2).done());
  EXPECT_TRUE(std::filesystem::exists(shoot_.GunFilePath(2)));
  EXPECT_EQ(ReadText(shoot_.GunFilePath(2)), "");
  shoot_.SelectGun(2);
  shoot_.SelectBullet(4);
  EXPECT_EQ(shoot_.Fields(), (BulletFields{false, false, "0", "0", "0"}));
}

TEST(ShootDefaultDataTest, ShippedFilesHoldThirtyBullets) {
  for (int gun = 0; gun < 4; ++gun) {
    const Json::Value document = CGlobalUtils::ParseJsonFile(std::string(ZT640_SOURCE_DIR) +
                                                            "/data/DefaultData/ShootData_" + std::to_string(gun) +
                                                            ".Shoot");
    ASSERT_EQ(document["Events"].size(), 180u) << gun;
    for (int b = 0; b < 30; ++b) {
      EXPECT_EQ(document["Events"][6 * b]["Action"].asString(), "down");
      EXPECT_EQ(document["Events"][6 * b + 3]["Type"].asInt(), 5);
    }
  }
}

}  // namespace
}  // namespace zt640
