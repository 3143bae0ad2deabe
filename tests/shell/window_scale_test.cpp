#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <cctype>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "shell/main_wnd.h"

namespace zt640 {
namespace {

/// Records the size notifications the main window receives before routing them.
class SizeRecordingMainWnd : public CMainWnd {
 public:
  SizeRecordingMainWnd() : CMainWnd("", MainWndPlugins{}) {}

  void Notify(const ui::Notification& notification) override {
    if (notification.kind == QLatin1String("windowsize")) size_senders.push_back(notification.sender_name);
    CMainWnd::Notify(notification);
  }

  std::vector<QString> size_senders;
};

/// A shown main window whose monitor the test chooses, scaled once for 1500 x 960.
class WindowScaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PrepareSkins();
    window_ = std::make_unique<SizeRecordingMainWnd>();
    QString error;
    ASSERT_TRUE(window_->Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
    window_->SetMonitorSource([this] { return monitor_; });
    window_->RunScaleChoice(monitor_);
    ASSERT_EQ(window_->Scale(), 96);
    window_->show();
    ASSERT_TRUE(test::WaitFor([this] { return window_->windowHandle() != nullptr && window_->isVisible(); }));
    ASSERT_EQ(window_->size(), QSize(1000, 640));
  }

  void TearDown() override {
    if (window_) window_->Destroy();
  }

  [[nodiscard]] bool ScaledFor144() {
    return test::WaitFor([this] { return window_->Scale() == 144 && window_->size() == QSize(1500, 960); });
  }

  QRect monitor_{0, 0, 1500, 960};
  std::unique_ptr<SizeRecordingMainWnd> window_;
};

TEST_F(WindowScaleTest, RootSizeNotificationRerunsTheChoiceWhenTheMonitorChanged) {
  monitor_ = QRect(0, 0, 1501, 961);
  window_->resize(1100, 700);
  EXPECT_TRUE(ScaledFor144());
  ASSERT_FALSE(window_->size_senders.empty());
  EXPECT_EQ(window_->size_senders.back(), QStringLiteral("root"));

  // On the same monitor a size given from elsewhere (a window manager) is kept: the
  // choice is not forced on it again.
  window_->resize(1200, 700);
  EXPECT_TRUE(test::WaitFor([this] { return window_->size() == QSize(1200, 700); }));
  EXPECT_EQ(window_->Scale(), 144);
  EXPECT_EQ(window_->size(), QSize(1200, 700));
}

TEST_F(WindowScaleTest, MaximisedOrMinimisedWindowKeepsItsState) {
  window_->showMaximized();
  ASSERT_TRUE(test::WaitFor([this] { return window_->isMaximized(); }));
  const QSize maximised = window_->size();
  window_->RunScaleChoice(QRect(0, 0, 1920, 1080));
  EXPECT_EQ(window_->Scale(), 144);
  // Not sized by the choice; only as large as the content at the new scale needs
  // (the test platform's maximised window is smaller than a real screen).
  EXPECT_TRUE(window_->isMaximized());
  EXPECT_EQ(window_->size(), maximised.expandedTo(window_->minimumSize()));

  // A display change while minimised sizes the window without hiding or restoring it.
  window_->showMinimized();
  ASSERT_TRUE(test::WaitFor([this] { return window_->isMinimized(); }));
  window_->RunScaleChoice(QRect(0, 0, 1366, 768));
  EXPECT_EQ(window_->Scale(), 96);
  EXPECT_TRUE(window_->isMinimized());
  EXPECT_TRUE(window_->isVisible());
}

struct ScreenSignalCase {
  const char* name;
  std::function<void(QWidget& window)> emit_signal;
};

void PrintTo(const ScreenSignalCase& signal_case, std::ostream* out) { *out << signal_case.name; }

class WindowScreenSignalTest : public WindowScaleTest, public ::testing::WithParamInterface<ScreenSignalCase> {};

// The offscreen platform cannot change its screen, so each case raises the signal Qt
// would raise with the screen's own values, while the monitor source reports the new
// monitor.
TEST_P(WindowScreenSignalTest, DisplayChangeRerunsTheScaleChoice) {
  monitor_ = QRect(0, 0, 2560, 1440);
  GetParam().emit_signal(*window_);
  EXPECT_TRUE(ScaledFor144()) << GetParam().name;

  monitor_ = QRect(0, 0, 1366, 768);
  GetParam().emit_signal(*window_);
  EXPECT_TRUE(test::WaitFor([this] { return window_->Scale() == 96 && window_->size() == QSize(1000, 640); }))
      << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    QtScreenSignals, WindowScreenSignalTest,
    ::testing::Values(
        ScreenSignalCase{"window moved to another screen",
                         [](QWidget& window) { emit window.windowHandle()->screenChanged(window.screen()); }},
        ScreenSignalCase{"screen geometry changed",
                         [](QWidget& window) { emit window.screen()->geometryChanged(window.screen()->geometry()); }},
        ScreenSignalCase{"logical DPI changed",
                         [](QWidget& window) {
                           emit window.screen()->logicalDotsPerInchChanged(window.screen()->logicalDotsPerInch());
                         }},
        ScreenSignalCase{"screen added", [](QWidget& window) { emit qApp->screenAdded(window.screen()); }},
        ScreenSignalCase{"screen removed", [](QWidget& window) { emit qApp->screenRemoved(window.screen()); }},
        ScreenSignalCase{"primary screen changed",
                         [](QWidget& window) { emit qApp->primaryScreenChanged(window.screen()); }}),
    [](const ::testing::TestParamInfo<ScreenSignalCase>& info) {
      std::string name;
      for (const char* c = info.param.name; *c != '\0'; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) != 0 ? *c : '_';
      }
      return name;
    });

}  // namespace
}  // namespace zt640
