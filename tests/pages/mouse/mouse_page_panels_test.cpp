#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "pages/device_key_button_ui.h"
#include "pages/mouse/mouse_picture.h"
#include "pages/mouse/shoot_control_ui.h"
#include "pages/select_panel_ui.h"
#include "profiles/global_utils.h"
#include "support/qt_app.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

class ShootPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    char templ[] = "/tmp/zt640-shoot-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::filesystem::create_directories(root_ + "/defaults");
    std::filesystem::create_directories(root_ + "/data");
    for (int gun = 0; gun < ShootData::kGunCount; ++gun) {
      const std::string name = "ShootData_" + std::to_string(gun) + ".Shoot";
      std::filesystem::copy_file(std::string(ZT640_SOURCE_DIR "/data/DefaultData/") + name, root_ + "/defaults/" + name);
    }
    panel_ = std::make_unique<CShootControlUI>();
    ASSERT_TRUE(panel_->IsBuilt());
    ASSERT_TRUE(panel_->Load(root_ + "/data/", root_ + "/defaults/").done());
  }
  void TearDown() override {
    panel_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  template <typename T>
  T* Control(const char* name) {
    return panel_->findChild<T*>(QString::fromLatin1(name));
  }
  Json::Value Events(int gun) {
    return CGlobalUtils::ParseJsonFile(root_ + "/data/ShootData_" + std::to_string(gun) + ".Shoot")["Events"];
  }

  std::string root_;
  std::unique_ptr<CShootControlUI> panel_;
};

TEST_F(ShootPanelTest, PreviousAndNextStayWithinTheBullets) {
  struct Case {
    int from;
    const char* button;
    int to;
  };
  for (const Case& c : {Case{29, "bullet_selected_next", 29}, Case{0, "bullet_selected_prev", 0},
                        Case{5, "bullet_selected_next", 6}, Case{5, "bullet_selected_prev", 4}}) {
    ASSERT_TRUE(panel_->OnSelectChanged(QStringLiteral("bullet_op_%1").arg(c.from), true));
    ASSERT_EQ(panel_->OnClick(QString::fromLatin1(c.button)), CShootControlUI::Action::kNone);
    EXPECT_EQ(panel_->Data().SelectedBullet(), c.to) << c.from << " " << c.button;
    EXPECT_EQ(Control<QLabel>("bullet_select_index")->text(), QString::number(c.to + 1));
    EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("bullet_op_%1").arg(c.to).toLatin1())->isChecked());
  }
}

// X left 12, Y down 30, delay 90 on bullet 29 of gun 3: elements 174 to 179.
TEST_F(ShootPanelTest, FieldsSaveTheSelectedBulletsSixEvents) {
  ASSERT_TRUE(panel_->OnSelectChanged(QStringLiteral("shoot_gun_op_3"), true));
  ASSERT_TRUE(panel_->OnSelectChanged(QStringLiteral("bullet_op_29"), true));
  const Json::Value before = Events(3);
  Control<QAbstractButton>("bullet_x_check")->setChecked(true);
  Control<QAbstractButton>("bullet_y_check")->setChecked(false);
  Control<QLineEdit>("bullet_x_eidt")->setText(QStringLiteral("12"));
  Control<QLineEdit>("bullet_y_eidt")->setText(QStringLiteral("30"));
  Control<QLineEdit>("bullet_delay_eidt")->setText(QStringLiteral("90"));
  ASSERT_TRUE(panel_->OnKillFocus(QStringLiteral("bullet_delay_eidt")));
  const Json::Value events = Events(3);
  ASSERT_EQ(events.size(), 180u);
  const char* expected[6][4] = {{"down", "1", "10", "1"}, {"up", "1", "0", "1"},  {"down", "12", "5", "4"},
                                {"up", "30", "90", "5"},  {"down", "0", "0", "4"}, {"up", "0", "0", "5"}};
  for (int i = 0; i < 6; ++i) {
    const Json::Value& event = events[174 + i];
    EXPECT_EQ(event["Action"].asString(), expected[i][0]) << i;
    EXPECT_EQ(event["Button"].asInt(), std::stoi(expected[i][1])) << i;
    EXPECT_EQ(event["Delay"].asInt(), std::stoi(expected[i][2])) << i;
    EXPECT_EQ(event["Type"].asInt(), std::stoi(expected[i][3])) << i;
  }
  for (Json::ArrayIndex i = 0; i < 174; ++i) EXPECT_EQ(events[i], before[i]) << i;
  EXPECT_EQ(Control<QAbstractButton>("bullet_x_check")->text().isEmpty(), false);
}

TEST(MousePictureTest, ButtonsAndZonesCarryTheirNamesAndZoneColoursShowOnTheTick) {
  test::QtApp();
  CSelectPanelUI panel;
  panel.resize(700, 260);
  MousePicture picture(&panel, 15);
  for (int key = 0; key < MousePicture::kButtonCount; ++key) {
    ASSERT_NE(panel.findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_%1").arg(key)), nullptr);
    EXPECT_TRUE(panel.rect().contains(picture.Button(key)->geometry())) << key;
  }
  ASSERT_EQ(picture.LightCount(), 15);
  EXPECT_EQ(panel.findChild<CDeviceKeyButtonUI*>(QStringLiteral("light_15")), nullptr);
  // Colours come from the lighting worker's thread and show on the next tick.
  std::thread worker([&picture] {
    picture.StoreLightColour(3, 255, 0, 0, 255);
    picture.StoreLightColour(99, 1, 2, 3, 255);  // beyond the zones: ignored
  });
  worker.join();
  EXPECT_EQ(picture.ApplyStoredColours(), 1);
  EXPECT_EQ(picture.Light(3)->LightColour(), QColor(255, 0, 0));
  EXPECT_EQ(picture.ApplyStoredColours(), 0);
}

}  // namespace
}  // namespace zt640
