#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ipc/window_message.h"
#include "shell/custom_controls.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "support/qt_app.h"
#include "support/simulator_process.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

bool Shown(const CMainWnd& window) { return window.isVisible() && !window.isMinimized(); }

// The first activation is the one the start-up's discovery pass sends: a hidden start
// absorbs it and stays out of sight; the next one (a tray click, a second start) shows.
TEST(CMainWnd_StartHidden, FirstActivationKeepsTheWindowOutOfSightTheNextShowsIt) {
  test::QtApp();
  ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
  ASSERT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
  RegisterCustomControls(ui::ControlFactory::Instance());
  ASSERT_TRUE(RegisterActivationMessage());

  for (const bool hidden : {true, false}) {
    CMainWnd window("", MainWndPlugins{});
    if (hidden) window.StartHidden();
    QString error;
    ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
    platform::WindowMessage activate;
    activate.message = UWM_INSTANCE_ACTIVATE_MSG;
    EXPECT_EQ(window.messages().Send(activate).result, 1);
    EXPECT_EQ(Shown(window), !hidden) << "hidden start: " << hidden;
    EXPECT_EQ(window.messages().Send(activate).result, 1);
    EXPECT_TRUE(Shown(window)) << "hidden start: " << hidden;
    window.Destroy();
  }
}

#ifdef ZT640_APP_PATH
TEST(AppCommandLine, HelpAndUnknownOptionsEndBeforeTheWindow) {
  const std::string program = "QT_QPA_PLATFORM=offscreen " ZT640_APP_PATH;
  test::Outcome outcome = test::RunShell(program + " --help");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("--hidden"), std::string::npos) << outcome.out;

  outcome = test::RunShell(program + " --hiden");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("unknown option '--hiden'"), std::string::npos) << outcome.err;
}
#endif

}  // namespace
}  // namespace zt640
