#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "shell/main_wnd.h"
#include "shell/menu_wnd.h"
#include "support/local_update_service.h"
#include "support/scripted_prompts.h"
#include "update/firmware_gate.h"
#include "update/set_wnd.h"
#include "update/update_check_schedule.h"

namespace zt640 {
namespace {

using test::LocalUpdateService;
using test::ServiceReply;

const QString kShippedLanguages = QStringLiteral(ZT640_SOURCE_DIR "/data/DefaultData/Language.config");
const QString kShippedCatalogue = QStringLiteral(ZT640_SOURCE_DIR "/data/DefaultData/update_catalogue.json");

/// Sets environment variables for the test's life and puts the old values back.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

/// A main window without devices, its settings and data in a fresh folder, asking
/// the local update service.
class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PrepareSkins();
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(service_.started());
    env_.Set("XDG_CONFIG_HOME", Path("config"));
    env_.Set("XDG_DATA_HOME", Path("data"));
    env_.Set("ZT640_UPDATE_URL", service_.BaseUrl());
    window_ = std::make_unique<CMainWnd>("", MainWndPlugins{});
    window_->SetLanguageConfig(kShippedLanguages);
    window_->SetUpdateCatalogue(kShippedCatalogue);
    window_->SetDownloadFolder(QString::fromStdString(Path("downloads")));
    window_->SetPrompts(prompts_.Prompts());
    QString error;
    ASSERT_TRUE(window_->Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error))
        << error.toStdString();
  }

  void TearDown() override {
    if (window_) window_->Destroy();
    window_.reset();
  }

  [[nodiscard]] std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
  [[nodiscard]] std::string UpdateTimeFile() const {
    return Path("data") + "/ZT640 有线RGB Keyboard/" + kUpdateTimeFileName;
  }

  void Click(const char* name) const {
    window_->Notify(ui::Notification{QStringLiteral("click"), nullptr, QString::fromLatin1(name), 0, 0});
  }
  void Send(std::uint32_t message, std::uint64_t wparam = 0, std::int64_t lparam = 0,
            const std::string& copy_data = {}) const {
    platform::WindowMessage sent;
    sent.message = message;
    sent.wparam = wparam;
    sent.lparam = lparam;
    sent.copy_data.assign(copy_data.begin(), copy_data.end());
    (void)window_->HandleMessage(sent);
  }
  [[nodiscard]] CSetWnd* Settings() const {
    QCoreApplication::processEvents();
    return window_->SettingsWindow();
  }

  QTemporaryDir dir_;
  LocalUpdateService service_;
  ScopedEnvironment env_;
  test::ScriptedPrompts prompts_;
  std::unique_ptr<CMainWnd> window_;
};

TEST_F(SettingsWindowTest, EachWayInOpensOneWindowAndASecondOneRaisesIt) {
  struct Way {
    const char* name;
    std::function<void()> open;
    bool centred;
  };
  const Way ways[] = {
      {"setbtn", [this] { Click("setbtn"); }, false},
      {"setwnd_menu", [this] { Send(CMenuWnd::kMenuItemChosenMessage, 0, 0, "setwnd_menu"); }, false},
      {"3093", [this] { Send(CMainWnd::kOpenSettingsMessage); }, true},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    way.open();
    CSetWnd* first = Settings();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    // The start-up scale choice may come after the opening (its timer runs 100 ms
    // after the window is made); it moves the main window, and the settings window
    // keeps its place beside it.
    window_->Notify(ui::Notification{QStringLiteral("timer"), window_.get(), QString(), CMainWnd::kScaleTimer, 0});
    const double scale = window_->Scale() / 96.0;
    if (way.centred) {
      EXPECT_NE(first->geometry().right(), window_->geometry().right() - static_cast<int>(30 * scale));
    } else {
      EXPECT_EQ(first->geometry().right() + 1, window_->geometry().right() - static_cast<int>(30 * scale));
      EXPECT_EQ(first->geometry().top(), window_->geometry().top() + static_cast<int>(60 * scale));
    }
    for (const Way& again : ways) again.open();
    EXPECT_EQ(Settings(), first) << "a second opening raises the open window";
    first->hub().SendNotify(first->FindControl(QStringLiteral("closebtn")), QStringLiteral("click"));
    EXPECT_EQ(Settings(), nullptr);
  }
}

TEST_F(SettingsWindowTest, TheOpenedWindowReachesTheLanguageAndTheAutostartEntry) {
  Click("setbtn");
  CSetWnd* settings = Settings();
  ASSERT_NE(settings, nullptr);
  auto* combo = settings->FindControl<QComboBox>(QStringLiteral("Language_combox_info"));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->currentIndex(), window_->LanguageIndex());
  const int other = window_->LanguageIndex() == 0 ? 1 : 0;
  combo->setCurrentIndex(other);
  EXPECT_TRUE(test::WaitFor([&] { return window_->LanguageIndex() == other; }));

  const std::string entry = Path("config") + "/autostart/org.zt640.Zt640.desktop";
  auto* box = settings->FindControl<QCheckBox>(QStringLiteral("autostart_check"));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  box->click();
  EXPECT_TRUE(std::filesystem::exists(entry));
  box->click();
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(SettingsWindowTest, TheFirmwareGateAsksOnlyForATooOldKeyboard) {
  struct Case {
    const char* name;
    std::uint64_t product;
    std::int64_t version;
    std::optional<int> answer;  ///< none: no question is asked
    bool firmware_ok;
    bool ends_program;
    bool opens_update_window;
  };
  const Case cases[] = {
      {"0x0102, cancelled", 0x505B, 0x0102, 0, false, true, false},
      {"0x0102, confirmed", 0x505B, 0x0102, 1, false, false, true},
      {"0x0103", 0x505B, 0x0103, std::nullopt, true, false, false},
      {"0x0104", 0x505B, 0x0104, std::nullopt, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    FirmwareOkFlag::Set(!c.firmware_ok);
    if (c.answer) prompts_.answers = {*c.answer};
    Send(CMainWnd::kFirmwareReportMessage, c.product, c.version);
    QCoreApplication::processEvents();
    EXPECT_EQ(FirmwareOkFlag::IsSet(), c.firmware_ok);
    EXPECT_EQ(prompts_.Messages(), c.answer ? std::vector<QString>{"message_text_26"} : std::vector<QString>{});
    EXPECT_EQ(window_->IsDestroyed(), c.ends_program);
    EXPECT_EQ(Settings() != nullptr, c.opens_update_window);
    if (c.answer) {
      EXPECT_FALSE(window_->FindControl("No_device_Link")->isHidden());
    }
    prompts_.shown.clear();
  }
  // Another product's report is not the gate's.
  FirmwareOkFlag::Set(true);
  Send(CMainWnd::kFirmwareReportMessage, 0x5089, 0x0100);
  QCoreApplication::processEvents();
  EXPECT_TRUE(FirmwareOkFlag::IsSet());
  EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(SettingsWindowTest, TheStartUpCheckRunsOncePerDayAndMarksTheSettingsButton) {
  const std::string today = CalendarDateText(LocalToday());
  struct Case {
    const char* name;
    std::optional<std::string> stored;  ///< the last check date on disk; none: no file
    bool due;
  };
  const Case cases[] = {
      {"first start", std::nullopt, true},
      {"checked another day", "2001-1-1", true},
      {"checked today", today, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    std::filesystem::remove(UpdateTimeFile());
    if (c.stored) {
      std::filesystem::create_directories(std::filesystem::path(UpdateTimeFile()).parent_path());
      std::ofstream(UpdateTimeFile()) << R"({"updatelasttime": {"value": ")" << *c.stored << R"("}})";
    }
    service_.SetReply(ServiceReply::kNewerApplication);
    const std::size_t requests_before = service_.Requests().size();
    EXPECT_EQ(window_->StartUpdateCheck(), c.due);
    if (c.due) {
      ASSERT_TRUE(test::WaitFor([&] { return window_->UpdateMarkShown(); }));
      EXPECT_EQ(UpdateCheckSchedule(UpdateTimeFile()).LastCheckText(), today);
      EXPECT_EQ(service_.Requests().size(), requests_before + 1) << "only the program itself is present";
      // The update window finding everything current takes the mark away.
      service_.SetReply(ServiceReply::kUpToDate);
      Click("setbtn");
      EXPECT_TRUE(test::WaitFor([&] { return !window_->UpdateMarkShown(); }));
    } else {
      QCoreApplication::processEvents();
      EXPECT_FALSE(window_->UpdateMarkShown());
      EXPECT_EQ(service_.Requests().size(), requests_before);
      EXPECT_EQ(UpdateCheckSchedule(UpdateTimeFile()).LastCheckText(), today);
    }
  }
}

/// With the simulated keyboard on its cable.
class SettingsWindowDeviceTest : public test::MainWindowFixture {};

TEST_F(SettingsWindowDeviceTest, UpdateTargetsAreTheConnectedKeyboardAndTheProgram) {
  Open(InterfaceCatalogue{});
  window_->SetUpdateCatalogue(kShippedCatalogue);
  // Before the keyboard is connected only the program is asked about.
  std::vector<UpdateTarget> targets = window_->UpdateTargets();
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].row.product_code, "ZTA");

  ASSERT_TRUE(ConnectNow());
  ASSERT_TRUE(test::WaitFor([&] { return Keyboard()->Channel().is_open(); }, 5000));
  targets = window_->UpdateTargets();
  ASSERT_EQ(targets.size(), 2u);
  // The keyboard is the selector's second entry, after the mouse: catalogue row 1.
  EXPECT_EQ(targets[0].row.product_code, "ZTK640FW");
  EXPECT_EQ(targets[0].current_version, 0x0103u);
  EXPECT_EQ(targets[1].row.product_code, "ZTA");
}

}  // namespace
}  // namespace zt640
