#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <memory>

#include "platform/sync/event.h"
#include "support/qt_app.h"
#include "shell/custom_controls.h"
#include "shell/main_wnd.h"
#include "shell/msg_wnd.h"
#include "shell/registered_window_messages.h"
#include "shell/scale_choice.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

void PrepareSkins() {
  test::QtApp();
  ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
  ASSERT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
  RegisterCustomControls(ui::ControlFactory::Instance());
  ASSERT_TRUE(RegisterActivationMessage());
  ASSERT_TRUE(RegisterGuidMessages());
}

TEST(ScaleChoice, ThresholdIsStrictlyAbove1500By960) {
  EXPECT_EQ(ChooseScale(1500, 960), 96);
  EXPECT_EQ(ChooseScale(1501, 961), 144);
  EXPECT_EQ(ChooseScale(1501, 960), 96);
  EXPECT_EQ(ChooseScale(2560, 1440), 144);
  EXPECT_EQ(ValidScaleOrDefault(144), 144);
  EXPECT_EQ(ValidScaleOrDefault(100), 96);
}

TEST(CMainWnd_ScaleChoice, SizesTheWindowFor96And144) {
  PrepareSkins();
  CMainWnd window("", MainWndPlugins{});
  QString error;
  ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
  window.RunScaleChoice(QRect(0, 0, 1500, 960));
  EXPECT_EQ(window.Scale(), 96);
  EXPECT_EQ(window.size(), QSize(1000, 640));
  window.RunScaleChoice(QRect(0, 0, 1501, 961));
  EXPECT_EQ(window.Scale(), 144);
  EXPECT_EQ(window.size(), QSize(1500, 960));
  EXPECT_FALSE(window.isVisible());
  window.Destroy();
}

TEST(CMainWnd_Activation, ShowsTheWindowWithTheNoDevicePanel) {
  PrepareSkins();
  CMainWnd window("", MainWndPlugins{});
  QString error;
  ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error));
  EXPECT_FALSE(window.isVisible());
  platform::WindowMessage activate;
  activate.message = UWM_INSTANCE_ACTIVATE_MSG;
  activate.lparam = 1;
  EXPECT_EQ(window.messages().Send(activate).result, 1);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.FindControl("No_device_Link")->isVisible());
  EXPECT_FALSE(window.FindControl("device_switch")->isVisible());
  window.FindControl<QPushButton>("closebtn")->click();
  EXPECT_TRUE(window.isHidden() || window.isMinimized());
  EXPECT_FALSE(window.IsDestroyed());
  window.Destroy();
}

TEST(CMainWnd_Destroy, AWorkerThatIgnoresItsStopEventDelaysExitByAboutASecond) {
  PrepareSkins();
  auto release = std::make_shared<platform::Event>();
  MainWndPlugins plugins;
  plugins.discovery = [release](const platform::Event&) { (void)release->Wait(10000); };
  plugins.light_sync = [](const platform::Event& stop) {
    while (!stop.Wait(1)) {
    }
  };
  CMainWnd window("", plugins);
  QString error;
  ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error));
  EXPECT_TRUE(window.Workers().HasThread(CMainWnd::kDiscoverySlot));
  EXPECT_TRUE(window.Workers().HasThread(CMainWnd::kLightSyncSlot));
  const auto started = std::chrono::steady_clock::now();
  window.Destroy();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(window.HasDetachedWorkers());
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  EXPECT_FALSE(window.Workers().HasThread(CMainWnd::kLightSyncSlot));
  release->Set();
}

struct BoxCase {
  const char* button;
  int mode;
  int expected;
};

class CMsgWndResult : public testing::TestWithParam<BoxCase> {};

TEST_P(CMsgWndResult, ButtonGivesItsResult) {
  PrepareSkins();
  CMsgWnd box(nullptr);
  QString error;
  ASSERT_TRUE(box.Setup("tips_text", "message text", 96, GetParam().mode, &error)) << error.toStdString();
  EXPECT_EQ(box.FindControl("cancel_btn")->isHidden(), GetParam().mode == CMsgWnd::kConfirmOnly);
  QTimer::singleShot(0, &box, [&box] { box.FindControl<QPushButton>(GetParam().button)->click(); });
  EXPECT_EQ(box.ShowModal(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, CMsgWndResult,
                         testing::Values(BoxCase{"confirm_btn", 1, 1}, BoxCase{"cancel_btn", 1, 0},
                                         BoxCase{"closebtn", 1, 0}, BoxCase{"confirm_btn", 0, 1}));

}  // namespace
}  // namespace zt640
