#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <filesystem>

#include "devices/mouse/kalvex_mouse_device.h"
#include "profiles/mouse_profiledata.h"
#include "devsim/devices_json_file.h"
#include "pages/device_key_button_ui.h"
#include "pages/mouse/mouse_page.h"
#include "pages/mouse/mouse_picture.h"
#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using devsim::MouseArea;
using test::WaitFor;

/// Settings record offsets of the mouse (stage records of 9 bytes from 14).
constexpr size_t kStagesOffset = 14;
constexpr size_t kStageSize = 9;
constexpr size_t kReportRateOffset = 11;

/// The main window over the simulated mouse on its cable, found through the
/// ids the simulator gives for "devices.json".
class MousePageWindowTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_keyboard = false;
    config.with_receiver = false;
    config.with_mouse = true;
    config.log_file = root_ + "/requests.log";
    config_ = config;
  }

  void SetUp() override {
    test::MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    for (const char* file : {"mouse.Json", "ShootData_0.Shoot", "ShootData_1.Shoot", "ShootData_2.Shoot",
                             "ShootData_3.Shoot", "color_option_info.config"}) {
      std::filesystem::copy_file(std::string(ZT640_SOURCE_DIR "/data/DefaultData/") + file, folders_.defaults + file);
    }
  }

  void OpenConnected() {
    InterfaceCatalogue catalogue;
    const size_t rows = config_.with_mouse_receiver ? 4u : 2u;
    ASSERT_EQ(DevicesJson::ApplyText(devsim::DevicesJsonFile::Text(config_), catalogue).rows_applied, rows);
    Open(catalogue);
    ui::PanelPrompts prompts;
    prompts.message = [this](const QString& text, int) {
      messages_.push_back(text);
      return 1;
    };
    prompts.colour = [this](QRgb, bool, const std::string&, const std::string&, QRgb* chosen, bool*) {
      *chosen = picked_colour_;
      return 1;
    };
    window_->SetPrompts(prompts);
    const auto connecting = [&] {
      return Entry() != nullptr && (Entry()->IsTimerArmed(CDeviceOptionUI::kConnectTimer) ||
                                    Entry()->ExchangePending(CDeviceOptionUI::kConnectTimer));
    };
    ASSERT_TRUE(WaitFor(connecting, 5000));
    if (Entry()->IsTimerArmed(CDeviceOptionUI::kConnectTimer)) Entry()->ArmTimer(CDeviceOptionUI::kConnectTimer, 0);
    ASSERT_TRUE(WaitFor([&] { return Entry()->IsEntryVisible() && Page() != nullptr; }, 5000));
    // The first read has ended once the frame push is armed.
    ASSERT_TRUE(WaitFor([&] { return test::FramesStarted(*Entry()); }, 5000));
    ASSERT_TRUE(Settle());
  }

  CDeviceOptionUI* Entry() { return window_->Devices()->EntryForType(InterfaceCatalogue::kMouseType); }
  MousePage* Page() { return window_->SelectedMousePage(); }
  template <typename T>
  T* Control(const QString& name) {
    return Page()->Widget()->findChild<T*>(name);
  }
  void ShowTab(const char* tab) {
    Control<QPushButton>(QString::fromLatin1(tab))->click();
    ASSERT_TRUE(Settle());
  }
  void LoseFocus(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(widget, &out);
    ASSERT_TRUE(Settle());
  }
  std::vector<uint8_t> Record() { return server_->Mouse().ActiveRecord(); }
  static int StageLevel(const std::vector<uint8_t>& record, int stage) {
    const size_t at = kStagesOffset + kStageSize * static_cast<size_t>(stage) + 2;
    return record.at(at) | record.at(at + 1) << 8;
  }
  static bool StageActive(const std::vector<uint8_t>& record, int stage) {
    return record.at(kStagesOffset + kStageSize * static_cast<size_t>(stage)) != 0;
  }

  devsim::DevsimConfig config_;
  std::vector<QString> messages_;
  QRgb picked_colour_ = qRgb(0x12, 0x34, 0x56);
};

TEST_F(MousePageWindowTest, PageAppearsWithEveryButtonAndLightZone) {
  OpenConnected();
  auto* pages = window_->FindControl<QStackedWidget>(QStringLiteral("device_switch"));
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->currentWidget(), Page()->Widget());
  for (int key = 0; key < MousePicture::kButtonCount; ++key) {
    ASSERT_NE(Control<CDeviceKeyButtonUI>(QStringLiteral("key_%1").arg(key)), nullptr) << key;
  }
  EXPECT_EQ(Control<CDeviceKeyButtonUI>(QStringLiteral("key_11")), nullptr);
  // The left button shows its factory assignment's name.
  EXPECT_FALSE(Control<CDeviceKeyButtonUI>(QStringLiteral("key_0"))->text().isEmpty());
  const int lights = Page()->Device().CatalogueEntry().light_count;
  ASSERT_GT(lights, 0);
  for (int zone = 0; zone < lights; ++zone) {
    EXPECT_NE(Control<CDeviceKeyButtonUI>(QStringLiteral("light_%1").arg(zone)), nullptr) << zone;
  }
}

// Sensor 0x3325, step 100, base 200: level 50 shows 5400, typing 4000 gives
// level 38, typing 100 gives level 0.
TEST_F(MousePageWindowTest, DpiSliderAndFieldReachTheSettingsRecord) {
  OpenConnected();
  ShowTab("system_Op_tab");
  struct Case {
    int stage;
    bool typed;  ///< the DPI field, else the slider
    int input;
    int level;
    const char* shown;
  };
  for (const Case& c : {Case{1, false, 50, 50, "5400"}, Case{2, true, 4000, 38, "4000"}, Case{3, true, 100, 0, "200"},
                        Case{1, false, 48, 48, "5000"}}) {
    SCOPED_TRACE(testing::Message() << "stage " << c.stage << " input " << c.input);
    auto* edit = Control<QLineEdit>(QStringLiteral("DPI_edit_%1").arg(c.stage));
    auto* slider = Control<QSlider>(QStringLiteral("DPI_slider_%1").arg(c.stage));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(slider, nullptr);
    if (c.typed) {
      edit->setText(QString::number(c.input));
      LoseFocus(edit);
    } else {
      slider->setValue(c.input);
      ASSERT_TRUE(Settle());
    }
    EXPECT_EQ(StageLevel(Record(), c.stage), c.level);
    EXPECT_EQ(slider->value(), c.level);
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown));
  }
}

TEST_F(MousePageWindowTest, LastEnabledStageCannotBeSwitchedOff) {
  OpenConnected();
  ShowTab("system_Op_tab");
  Control<QAbstractButton>(QStringLiteral("DPI_select_check_0"))->setChecked(true);
  ASSERT_TRUE(Settle());
  const auto box = [&](int stage) { return Control<QAbstractButton>(QStringLiteral("DPI_enable_check_%1").arg(stage)); };
  for (int stage = 1; stage < MouseOptionsPanel::kStageCount; ++stage) {
    box(stage)->setChecked(true);
    ASSERT_TRUE(Settle());
  }
  for (int stage = MouseOptionsPanel::kStageCount - 1; stage >= 1; --stage) {
    box(stage)->setChecked(false);
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(StageActive(Record(), stage)) << stage;
  }
  // Stage 0 is left alone: its box may not be used, and forcing it changes nothing.
  EXPECT_TRUE(StageActive(Record(), 0));
  EXPECT_FALSE(box(0)->isEnabled());
  EXPECT_TRUE(box(0)->isChecked());
  const auto writes = server_->Mouse().Area(MouseArea::kSettings);
  box(0)->setChecked(false);
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(box(0)->isChecked());
  EXPECT_TRUE(StageActive(Record(), 0));
  EXPECT_EQ(server_->Mouse().Area(MouseArea::kSettings), writes);
  EXPECT_EQ(Page()->Device().Stages().at(0).active, 1);
}

TEST_F(MousePageWindowTest, ReportRateAndStageColourReachTheRecord_SystemControlsDoNot) {
  OpenConnected();
  ShowTab("system_Op_tab");
  Control<QAbstractButton>(QStringLiteral("polling_rate_option_3"))->setChecked(true);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Record().at(kReportRateOffset), 3);

  Control<QPushButton>(QStringLiteral("DPI_color_option_2"))->click();
  ASSERT_TRUE(Settle());
  const std::vector<uint8_t> record = Record();
  const size_t colour = kStagesOffset + kStageSize * 2 + 6;
  EXPECT_EQ((std::vector<uint8_t>{record.at(colour), record.at(colour + 1), record.at(colour + 2)}),
            (std::vector<uint8_t>{0x12, 0x34, 0x56}));

  const auto before = server_->Mouse().Area(MouseArea::kSettings);
  Control<QSlider>(QStringLiteral("pointer_speed_slider"))->setValue(7);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(server_->Mouse().Area(MouseArea::kSettings), before);
  EXPECT_EQ(Page()->Device().Options().mouse_speed, 7);
  CMouseProfiledata saved;
  ASSERT_FALSE(saved.LoadProfile(Page()->Device().Profile().GetProfilePath()).isNull());
  EXPECT_EQ(saved.GetMouseOptions().mouse_speed, 7);
}

TEST_F(MousePageWindowTest, ShootSaveSendsTheEditedBulletToTheMouse) {
  OpenConnected();
  ShowTab("cursor_Op_tab");
  auto* x = Control<QLineEdit>(QStringLiteral("bullet_x_eidt"));
  ASSERT_NE(x, nullptr);
  const auto send_with_distance = [&](int distance) {
    x->setText(QString::number(distance));
    LoseFocus(x);
    Control<QPushButton>(QStringLiteral("shootdate_save_btn"))->click();
    EXPECT_TRUE(Settle());
    return server_->Mouse().Area(MouseArea::kShootData);
  };
  const std::vector<uint8_t> first = send_with_distance(12);
  const std::vector<uint8_t> second = send_with_distance(13);
  ASSERT_GE(first.size(), 6u);
  EXPECT_EQ(first[0] | first[1] << 8, 0x55AA);
  EXPECT_EQ(first[4] | first[5] << 8, 4);  // four guns
  // Only the edited distance differs between the two writes.
  ASSERT_EQ(first.size(), second.size());
  std::vector<size_t> differing;
  for (size_t i = 0; i < first.size(); ++i) {
    if (first[i] != second[i]) differing.push_back(i);
  }
  ASSERT_EQ(differing.size(), 1u);
  EXPECT_EQ(first[differing[0]], 12);
  EXPECT_EQ(second[differing[0]], 13);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MousePageWindowTest, KeyClickOpensTheButtonExceptTheOnlyLeftButton) {
  OpenConnected();
  ShowTab("key_Op_tab");
  Control<CDeviceKeyButtonUI>(QStringLiteral("key_0"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(messages_, std::vector<QString>{QStringLiteral("message_text_6")});
  EXPECT_EQ(Page()->Device().SelectedKey(), -1);
  Control<CDeviceKeyButtonUI>(QStringLiteral("key_1"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Page()->Device().SelectedKey(), 1);
  EXPECT_TRUE(Control<CDeviceKeyButtonUI>(QStringLiteral("key_1"))->IsSelected());
  EXPECT_EQ(messages_.size(), 1u);
}

// The mouse's own reports: a stage chosen on the mouse (0x1100 + stage x 16 +
// slot) shows on the page; a re-read request (0x0401) reads its settings record.
TEST_F(MousePageWindowTest, ReportsFromTheMouseReachThePage) {
  OpenConnected();
  ShowTab("system_Op_tab");
  const auto last_read = [&] {
    std::lock_guard lock(Page()->Device().OperationLock());
    return Page()->Device().LastSettings().has_value();
  };
  ASSERT_FALSE(last_read());
  ASSERT_TRUE(server_->SelectMouseStage(2));
  EXPECT_TRUE(WaitFor([&] { return Control<QAbstractButton>(QStringLiteral("DPI_select_check_2"))->isChecked(); }));
  EXPECT_FALSE(Control<QAbstractButton>(QStringLiteral("DPI_select_check_0"))->isChecked());
  ASSERT_TRUE(server_->SendMouseReport(0x0401));
  EXPECT_TRUE(WaitFor(last_read));
}

enum class Link { kCable, kReceiver, kBoth };

/// The mouse on its cable, through its receiver, or with both plugged in (the
/// cable wins): the page appears and a slider move reaches the mouse.
class MouseLinkWindowTest : public MousePageWindowTest, public testing::WithParamInterface<Link> {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    MousePageWindowTest::Configure(config);
    config.with_mouse_receiver = GetParam() != Link::kCable;
    config.mouse_plugged = GetParam() != Link::kReceiver;
    config_ = config;
  }
};

TEST_P(MouseLinkWindowTest, PageAppearsAndASliderMoveReachesTheMouse) {
  OpenConnected();
  CKalvexMouseDevice& mouse = Page()->Device();
  EXPECT_EQ(mouse.Channel().receiver_interface().IsOpen(), GetParam() == Link::kReceiver);
  ShowTab("system_Op_tab");
  Control<QSlider>(QStringLiteral("DPI_slider_0"))->setValue(50);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(StageLevel(Record(), 0), 50);
  EXPECT_EQ(Control<QLineEdit>(QStringLiteral("DPI_edit_0"))->text(), QStringLiteral("5400"));
}

INSTANTIATE_TEST_SUITE_P(Links, MouseLinkWindowTest, testing::Values(Link::kCable, Link::kReceiver, Link::kBoth));

}  // namespace
}  // namespace zt640
