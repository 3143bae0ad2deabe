#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

#include "support/qt_app.h"
#include "ui/control_timers.h"
#include "ui/notify_hub.h"

namespace zt640::ui {
namespace {

struct Recorder : NotifyTarget {
  void Notify(const Notification& notification) override { seen.push_back(notification); }
  std::vector<Notification> seen;
};

class NotifyHubTest : public testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    auto* layout = new QVBoxLayout(&root_);
    button_ = new QPushButton(&root_);
    button_->setObjectName("closebtn");
    option_ = new QPushButton(&root_);
    option_->setObjectName("device_select");
    option_->setCheckable(true);
    combo_ = new QComboBox(&root_);
    combo_->setObjectName("device_profile_combo");
    combo_->addItems({"a", "b", "c"});
    slider_ = new QSlider(&root_);
    slider_->setObjectName("DPI_slider_2");
    auto* unnamed = new QPushButton(&root_);
    for (QWidget* widget : std::initializer_list<QWidget*>{button_, option_, combo_, slider_, unnamed}) {
      layout->addWidget(widget);
    }
    unnamed_ = unnamed;
    hub_.Attach(&root_);
    hub_.Attach(&root_);  // attaching twice must not double the notifications
  }

  QApplication& app_ = test::QtApp();  ///< first member: widgets below need it
  QWidget root_;
  QPushButton* button_ = nullptr;
  QPushButton* option_ = nullptr;
  QPushButton* unnamed_ = nullptr;
  QComboBox* combo_ = nullptr;
  QSlider* slider_ = nullptr;
  Recorder recorder_;
  NotifyHub hub_{recorder_};
};

TEST_F(NotifyHubTest, ButtonsComboAndSliderRaiseTheDesignKinds) {
  button_->click();
  option_->click();
  combo_->setCurrentIndex(2);
  slider_->setValue(40);
  unnamed_->click();
  ASSERT_EQ(recorder_.seen.size(), 5u);
  EXPECT_EQ(recorder_.seen[0].kind, "click");
  EXPECT_EQ(recorder_.seen[0].sender_name, "closebtn");
  EXPECT_EQ(recorder_.seen[1].kind, "selectchanged");
  EXPECT_EQ(recorder_.seen[1].wparam, 1);
  EXPECT_EQ(recorder_.seen[2].kind, "click");
  EXPECT_EQ(recorder_.seen[3].kind, "itemselect");
  EXPECT_EQ(recorder_.seen[3].wparam, 2);
  EXPECT_EQ(recorder_.seen[3].lparam, 0);
  EXPECT_EQ(recorder_.seen[4].kind, "valuechanged");
  EXPECT_EQ(recorder_.seen[4].sender_name, "DPI_slider_2");
  EXPECT_EQ(recorder_.seen[4].wparam, 40);
}

TEST_F(NotifyHubTest, ControlTimerRepeatsUntilKilledAndCarriesItsId) {
  ControlTimers timers(hub_);
  ASSERT_TRUE(timers.SetTimer(button_, 1000, 5));
  QElapsedTimer clock;
  clock.start();
  while (recorder_.seen.size() < 3 && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_GE(recorder_.seen.size(), 3u);
  EXPECT_EQ(recorder_.seen[0].kind, "timer");
  EXPECT_EQ(recorder_.seen[0].wparam, 1000);
  EXPECT_TRUE(timers.KillTimer(button_, 1000));
  EXPECT_FALSE(timers.IsRunning(button_, 1000));
  EXPECT_FALSE(timers.KillTimer(button_, 1000));
}

}  // namespace
}  // namespace zt640::ui
