#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QList>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <filesystem>
#include <string>

#include "devsim/devices_json_file.h"
#include "pages/select_panel_ui.h"
#include "shell/main_window_fixture.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using test::WaitFor;

/// The main window with the pages of all four kinds built over the simulator:
/// keyboard, mouse, mouse pad and headset.
class WindowFitTest : public test::MainWindowFixture {
 protected:
  static constexpr int kPageCount = 4;
  static constexpr int kArrivalBoundMs = 30000;

  void Configure(devsim::DevsimConfig& config) override {
    config.with_receiver = false;
    config.with_mouse = true;
    config.with_pad = true;
    config.with_headset = true;
    config_ = config;
  }

  void SetUp() override {
    test::MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    for (const char* file : {"mouse.Json", "color_option_info.config"}) {
      std::filesystem::copy_file(std::string(ZT640_SOURCE_DIR "/data/DefaultData/") + file, folders_.defaults + file);
    }
    // The scale is the program's, and a window of an earlier test may have left it
    // at 144; this window starts at 96 as the program's only window does.
    ui::ResourceManager::Instance().SetScale(96);
    qApp->setStyleSheet(ui::ResourceManager::Instance().StyleSheet(96));
    InterfaceCatalogue catalogue;
    ASSERT_GT(DevicesJson::ApplyText(devsim::DevicesJsonFile::Text(config_), catalogue).rows_applied, 0u);
    Open(catalogue);
    window_->SetMonitorSource([this] { return monitor_; });
    pages_ = window_->FindControl<QStackedWidget>(QStringLiteral("device_switch"));
    ASSERT_NE(pages_, nullptr);
    // A page is built when its device arrives; the stand-ins before have no scroll area.
    // Four arrivals and page builds take several seconds under the sanitizers on a
    // busy machine: the bound is generous, the wait ends as soon as they are there.
    ASSERT_TRUE(WaitFor([&] { return ScrollAreas().size() == kPageCount; }, kArrivalBoundMs));
    ASSERT_EQ(pages_->count(), kPageCount);
    window_->show();
    ASSERT_TRUE(WaitFor([&] { return window_->isVisible() && !pages_->isHidden(); }, kArrivalBoundMs));
  }

  [[nodiscard]] QList<QScrollArea*> ScrollAreas() const {
    return pages_->findChildren<QScrollArea*>(QStringLiteral("device_function_scroll"));
  }

  /// Runs the scale choice for a monitor with `panel` pixels of it taken by a panel.
  void ChooseFor(QSize monitor, int panel = 0) {
    monitor_ = QRect(QPoint(0, 0), monitor);
    window_->RunScaleChoice(monitor_, monitor_.adjusted(0, 0, 0, -panel));
    QCoreApplication::processEvents();
  }

  /// Shows each device page in turn and counts those whose scroll area shows a bar.
  [[nodiscard]] int PagesWithScrollBars() {
    int scrolling = 0;
    for (int i = 0; i < pages_->count(); ++i) {
      pages_->setCurrentIndex(i);
      auto* area = pages_->widget(i)->findChild<QScrollArea*>(QStringLiteral("device_function_scroll"));
      if (area == nullptr) continue;
      // Bars follow the layout, which runs on the events that showing the page posted
      // (the stack lays out the page, the page its scroll area).
      for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
      if (area->verticalScrollBar()->isVisible() || area->horizontalScrollBar()->isVisible()) ++scrolling;
    }
    return scrolling;
  }

  devsim::DevsimConfig config_;
  QRect monitor_{0, 0, 1920, 1080};
  QStackedWidget* pages_ = nullptr;
};

TEST_F(WindowFitTest, SmallLaptopScreen_WindowFitsAndThePagesScrollBelowTheirTabs) {
  // 1280 x 720 at 96 dpi with a 40-pixel panel.
  const QSize free_area(1280, 680);
  ChooseFor(QSize(1280, 720), 40);
  ASSERT_EQ(window_->Scale(), 96);
  EXPECT_LE(window_->minimumSizeHint().height(), free_area.height());
  EXPECT_LE(window_->minimumSizeHint().width(), 1000);
  EXPECT_LE(window_->height(), free_area.height());
  EXPECT_LE(window_->width(), 1000);
  EXPECT_TRUE(WaitFor([&] { return window_->minimumSize().height() <= free_area.height(); }));

  for (int i = 0; i < pages_->count(); ++i) {
    QWidget* page = pages_->widget(i);
    SCOPED_TRACE(page->objectName().toStdString());
    pages_->setCurrentIndex(i);
    QCoreApplication::processEvents();
    auto* picture = page->findChild<CSelectPanelUI*>();
    auto* tabs = page->findChild<QWidget*>(QStringLiteral("function_tabs"));
    auto* area = page->findChild<QScrollArea*>(QStringLiteral("device_function_scroll"));
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(tabs, nullptr);
    ASSERT_NE(area, nullptr);
    // The picture and the tabs stay in view; only what lies below them scrolls.
    EXPECT_FALSE(area->isAncestorOf(picture));
    EXPECT_FALSE(area->isAncestorOf(tabs));
    for (QWidget* shown : {static_cast<QWidget*>(picture), tabs}) {
      const QRect in_window(shown->mapTo(window_.get(), QPoint(0, 0)), shown->size());
      EXPECT_TRUE(window_->rect().contains(in_window)) << shown->objectName().toStdString();
      EXPECT_FALSE(shown->size().isEmpty()) << shown->objectName().toStdString();
    }
    EXPECT_GT(area->viewport()->height(), 0);
  }
  // The keyboard's lighting editor is taller than what is left of 680 pixels.
  EXPECT_GT(PagesWithScrollBars(), 0);
}

TEST_F(WindowFitTest, LargeScreen_WindowShowsEveryPageWholeWithoutScrollBars) {
  struct Case {
    QSize monitor;
    int scale;
  };
  for (const Case& c : {Case{QSize(1400, 1200), 96}, Case{QSize(3840, 2160), 144}}) {
    SCOPED_TRACE(c.scale);
    ChooseFor(c.monitor);
    ASSERT_EQ(window_->Scale(), c.scale);
    const double ratio = c.scale / 96.0;
    EXPECT_GE(window_->width(), static_cast<int>(1000 * ratio));
    // The pages need more than the scale's 640 pixels: the window grows to them.
    EXPECT_GT(window_->height(), static_cast<int>(640 * ratio));
    EXPECT_EQ(PagesWithScrollBars(), 0);
  }
  // At 96 dpi the window is no taller than the tallest page needs: a little less
  // and that page scrolls.
  ChooseFor(QSize(1400, 1200));
  EXPECT_EQ(window_->width(), 1000);
  const QSize chosen = window_->size();
  window_->resize(chosen - QSize(0, 2));
  EXPECT_EQ(PagesWithScrollBars(), 1);
}

TEST_F(WindowFitTest, ScreenBelowTheUsualSize_WindowIsSizedToTheFreeArea) {
  ChooseFor(QSize(1366, 768), 40);
  ASSERT_EQ(window_->Scale(), 96);
  EXPECT_EQ(window_->size(), QSize(1000, 728));

  // 144 dpi on a screen shorter than the pages at that scale.
  ChooseFor(QSize(1920, 1080), 40);
  ASSERT_EQ(window_->Scale(), 144);
  EXPECT_EQ(window_->size(), QSize(1500, 1040));
}

TEST_F(WindowFitTest, LightingControlInTheScrolledPartIsFoundAndRouted) {
  ChooseFor(QSize(1280, 720), 40);
  // Connected once frames are under way, on the frame timer or following renders.
  ASSERT_TRUE(WaitFor(
      [&] {
        return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer) || KeyboardEntry()->AwaitingRender() ||
               KeyboardEntry()->ExchangePending(CDeviceOptionUI::kRefreshTimer);
      },
      10000));
  ASSERT_TRUE(Settle());
  QWidget* keyboard_page = pages_->widget(KeyboardEntry()->Page());
  auto* area = keyboard_page->findChild<QScrollArea*>(QStringLiteral("device_function_scroll"));
  ASSERT_NE(area, nullptr);
  // Every kind's page has a mode list of this name; the keyboard's lies in the scrolled part.
  auto* modes = keyboard_page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  ASSERT_NE(modes, nullptr);
  ASSERT_TRUE(area->isAncestorOf(modes));

  const int mode = Keyboard()->GetLightState().mode() == 3 ? 1 : 3;
  modes->setCurrentIndex(mode);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Keyboard()->GetLightState().mode(), mode);
}

}  // namespace
}  // namespace zt640
