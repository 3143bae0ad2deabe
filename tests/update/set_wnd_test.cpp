#include <gtest/gtest.h>

#include <stdlib.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QStackedWidget>
#include <chrono>
#include <filesystem>
#include <string>

#include "support/local_update_service.h"
#include "support/scripted_prompts.h"
#include "support/qt_app.h"
#include "support/wait_until.h"
#include "ui/resource_manager.h"
#include "update/set_wnd.h"
#include "update/update_info_list_item_ui.h"
#include "updateclient/sha256.h"
#include "updateclient/update_client.h"

namespace zt640 {
namespace {

using namespace std::chrono_literals;
using test::LocalUpdateService;
using test::ServedFile;
using test::ServiceReply;

constexpr const char* kApplicationKey = "ZTGEAR_0_ZTA_K640_1";
constexpr const char* kPackagePath = "/files/zt640_1.0.4.deb";

std::string Sha256Of(const std::string& bytes) {
  Sha256 sha;
  sha.Update(bytes.data(), bytes.size());
  return sha.FinishHex();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (!std::filesystem::exists(folder)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

UpdateTarget Target(uint32_t format, const char* code, const char* model, const char* version_text,
                    uint32_t version) {
  UpdateTarget target;
  target.row = {format, 1, "ZTGEAR", code, model, model, version_text};
  target.current_version = version;
  return target;
}

class SetWndTest : public testing::Test {
 protected:
  SetWndTest() {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    EXPECT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
    EXPECT_TRUE(ui::ResourceManager::Instance().LoadLanguage("lan_en.xml"));
    char templ[] = "/tmp/zt640-setwnd-XXXXXX";
    folder_ = mkdtemp(templ);
  }
  ~SetWndTest() override { std::filesystem::remove_all(folder_); }

  CSetWnd::Options Options(const std::string& base_url) {
    const UpdateClient client({base_url, {.connect = 500ms, .send = 50ms, .receive = 200ms}});
    CSetWnd::Options options;
    options.targets = {Target(1, "ZTM640FW", "M640", "", 0x0102), Target(1, "ZTK640FW", "K640", "", 0x0105),
                       Target(0, "ZTA", "K640", "V1.0", 103)};
    options.query = [client](const std::string& key, uint32_t version, uint32_t format,
                      const std::function<bool()>& cancelled) {
      return client.QueryUpdate(key, version, format, cancelled);
    };
    options.update_time_path = folder_ + "/updatetime.config";
    options.today = [] { return CalendarDate{2026, 3, 7}; };
    options.all_current = [this] { ++all_current_calls_; };
    return options;
  }

  static bool WaitForStatus(const CSetWnd& wnd, UpdateWindowStatus status) {
    return test::WaitUntil([&] {
      QCoreApplication::processEvents();
      return wnd.Status() == status;
    });
  }

  static QString StatusText(const CSetWnd& wnd) {
    return wnd.FindControl<QLabel>(QStringLiteral("Update_Status_text"))->text();
  }

  std::string folder_;
  int all_current_calls_ = 0;
};

TEST_F(SetWndTest, TwoUpdatesAreTickedAndUntickingBothHidesTheUpdateButton) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReplyFor("ZTGEAR_1_ZTM640FW_M640_1", ServiceReply::kNewerFirmware);
  service.SetReplyFor("ZTGEAR_1_ZTK640FW_K640_1", ServiceReply::kNewerFirmware);
  CSetWnd wnd(nullptr, Options(service.BaseUrl()));
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kHaveUpdates));
  EXPECT_EQ(StatusText(wnd), "Updates are available");

  ASSERT_EQ(wnd.RowCount(), 3u);
  QWidget* update_button = wnd.FindControl(QStringLiteral("update_fw_and_ap"));
  EXPECT_TRUE(update_button->isEnabled());
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(wnd.Row(i)->State(), UpdateRowState::kNeedUpdate);
    EXPECT_TRUE(wnd.Row(i)->IsChecked());
  }
  EXPECT_EQ(wnd.Row(2)->State(), UpdateRowState::kUpToDate);
  EXPECT_FALSE(wnd.Row(2)->IsCheckEnabled());
  EXPECT_EQ(wnd.Row(1)->findChild<QLabel*>(QStringLiteral("updateRev"))->text(), "V0106");
  EXPECT_EQ(wnd.Row(1)->findChild<QCheckBox*>(QStringLiteral("check_name_select"))->text(), "K640");
  EXPECT_EQ(wnd.Row(2)->findChild<QCheckBox*>(QStringLiteral("check_name_select"))->text(), "AP");

  wnd.Row(0)->findChild<QCheckBox*>(QStringLiteral("check_name_select"))->click();
  EXPECT_TRUE(update_button->isEnabled());
  wnd.Row(1)->findChild<QCheckBox*>(QStringLiteral("check_name_select"))->click();
  EXPECT_FALSE(update_button->isEnabled());
  EXPECT_TRUE(update_button->isHidden());
}

TEST_F(SetWndTest, ConfirmedRowsWaitAndClosingIsRefusedUntilTheyAreDone) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReplyFor("ZTGEAR_1_ZTM640FW_M640_1", ServiceReply::kNewerFirmware);
  service.SetReplyFor("ZTGEAR_1_ZTK640FW_K640_1", ServiceReply::kNewerFirmware);
  CSetWnd wnd(nullptr, Options(service.BaseUrl()));
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kHaveUpdates));

  wnd.Row(1)->findChild<QCheckBox*>(QStringLiteral("check_name_select"))->click();  // leave the keyboard out
  wnd.hub().SendNotify(wnd.FindControl(QStringLiteral("update_fw_and_ap")), QStringLiteral("click"));
  EXPECT_EQ(wnd.FindControl<QStackedWidget>(QStringLiteral("get_update_tab_layout"))->currentIndex(), 1);
  wnd.hub().SendNotify(wnd.FindControl(QStringLiteral("update_OK_btn")), QStringLiteral("click"));
  EXPECT_EQ(wnd.Row(0)->State(), UpdateRowState::kDownloadWaiting);
  EXPECT_EQ(wnd.Row(1)->State(), UpdateRowState::kNeedUpdate);
  EXPECT_FALSE(wnd.Row(1)->IsCheckEnabled());
  EXPECT_FALSE(wnd.FindControl(QStringLiteral("update_fw_and_ap"))->isEnabled());
  EXPECT_EQ(wnd.FindControl<QStackedWidget>(QStringLiteral("get_update_tab_layout"))->currentIndex(), 0);

  EXPECT_FALSE(wnd.CanClose());
  QCloseEvent close;
  QCoreApplication::sendEvent(&wnd, &close);
  EXPECT_FALSE(close.isAccepted());
  wnd.Row(0)->SetState(UpdateRowState::kUpdateFailed);
  EXPECT_TRUE(wnd.CanClose());
}

TEST_F(SetWndTest, EverythingCurrentShowsTheCheckDateAndTellsTheMainWindow) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  CSetWnd wnd(nullptr, Options(service.BaseUrl()));
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kAllCurrent));
  EXPECT_EQ(StatusText(wnd), "Everything is up to date. Last checked: 2026-3-7");
  EXPECT_EQ(all_current_calls_, 1);
  EXPECT_TRUE(wnd.FindControl(QStringLiteral("update_fw_and_ap"))->isHidden());

  // A language switch re-resolves the status text with the date kept.
  ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage("lan_cn.xml"));
  EXPECT_EQ(StatusText(wnd), QString::fromUtf8("已是最新版本。上次检查：2026-3-7"));
  ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage("lan_en.xml"));
}

TEST_F(SetWndTest, NoServiceForAnyTargetIsStatusTwo) {
  std::string base_url;
  {
    const LocalUpdateService gone;
    base_url = gone.BaseUrl();
  }
  CSetWnd wnd(nullptr, Options(base_url));
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kNoService));
  EXPECT_EQ(StatusText(wnd), "The update service could not be reached");
  EXPECT_EQ(all_current_calls_, 0);
  for (std::size_t i = 0; i < wnd.RowCount(); ++i) EXPECT_EQ(wnd.Row(i)->State(), UpdateRowState::kUpToDate);
}

TEST_F(SetWndTest, LanguageChoiceGoesToTheMainWindowAndTheAutostartBoxWritesTheEntry) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder_));
  std::vector<int> chosen;
  CSetWnd::Options options = Options(service.BaseUrl());
  options.language_chosen = [&chosen](int index) { chosen.push_back(index); };
  CSetWnd wnd(nullptr, options);
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  auto* combo = wnd.FindControl<QComboBox>(QStringLiteral("Language_combox_info"));
  if (combo->count() < 2) {
    // The list is read beside the program, which a test program does not have.
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems({"简体中文", "English"});
    combo->setCurrentIndex(0);
  }
  combo->setCurrentIndex(1);
  EXPECT_EQ(chosen, std::vector<int>{1});

  auto* box = wnd.FindControl<QCheckBox>(QStringLiteral("autostart_check"));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  box->click();
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/autostart/org.zt640.Zt640.desktop"));
  box->click();
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/autostart/org.zt640.Zt640.desktop"));
  if (saved.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", saved);
  }
}

/// The application's answer: a newer version whose package lies on the local service.
std::string PackageReply(const LocalUpdateService& service, int64_t size, const std::string& sha256) {
  return R"({"name":"zt640","version":"104","version_name":"V1.0.4","path":")" + service.FileUrl(kPackagePath) +
         R"(","size":)" + std::to_string(size) + R"(,"sha256":")" + sha256 + R"("})";
}

TEST_F(SetWndTest, AConfirmedRowIsDownloadedAndKeptOnlyWhenItMatchesTheAnswer) {
  const std::string package(250000, '\x42');
  struct Case {
    const char* name;
    int64_t size;
    std::string sha256;
    UpdateRowState state;
    std::vector<QString> questions;
  };
  const Case cases[] = {
      {"matches", 250000, Sha256Of(package), UpdateRowState::kDownloaded, {"update_download_open_folder_text"}},
      {"size differs", 250001, "", UpdateRowState::kUpdateFailed, {"update_download_failed_text"}},
      {"digest differs", 250000, Sha256Of("other"), UpdateRowState::kUpdateFailed, {"update_download_failed_text"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LocalUpdateService service;
    ASSERT_TRUE(service.started());
    service.ServeFile(kPackagePath, ServedFile{package});
    service.SetFixedBody(PackageReply(service, c.size, c.sha256));
    service.SetReplyFor(kApplicationKey, ServiceReply::kFixedBody);
    const std::string downloads = folder_ + "/" + c.name;
    test::ScriptedPrompts prompts;
    prompts.answers = {1};
    std::vector<QString> opened;
    CSetWnd::Options options = Options(service.BaseUrl());
    options.download_folder = downloads;
    options.prompts = prompts.Prompts();
    options.open_folder = [&opened](const QString& folder) { opened.push_back(folder); };
    CSetWnd wnd(nullptr, options);
    QString error;
    ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
    ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kHaveUpdates));
    ASSERT_EQ(wnd.Row(2)->State(), UpdateRowState::kNeedUpdate);

    wnd.hub().SendNotify(wnd.FindControl(QStringLiteral("update_OK_btn")), QStringLiteral("click"));
    ASSERT_TRUE(test::WaitUntil([&] {
      QCoreApplication::processEvents();
      return wnd.DownloadsFinished();
    }));
    EXPECT_EQ(wnd.Row(2)->State(), c.state);
    EXPECT_EQ(prompts.Messages(), c.questions);
    EXPECT_TRUE(wnd.CanClose());
    if (c.state == UpdateRowState::kDownloaded) {
      EXPECT_EQ(FolderEntries(downloads), std::vector<std::string>{"zt640_1.0.4.deb"});
      EXPECT_EQ(opened, std::vector<QString>{QString::fromStdString(downloads)});
    } else {
      EXPECT_TRUE(FolderEntries(downloads).empty()) << "nothing of a failed download stays";
      EXPECT_TRUE(opened.empty());
    }
  }
}

TEST_F(SetWndTest, ClosingDuringADownloadStopsItAndRemovesThePartialFile) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  // Half the package comes, then nothing more.
  service.ServeFile(kPackagePath, ServedFile{std::string(250000, 'x'), true});
  service.SetFixedBody(PackageReply(service, 250000, ""));
  service.SetReplyFor(kApplicationKey, ServiceReply::kFixedBody);
  const std::string downloads = folder_ + "/downloads";
  test::ScriptedPrompts prompts;
  CSetWnd::Options options = Options(service.BaseUrl());
  options.download_folder = downloads;
  options.prompts = prompts.Prompts();
  CSetWnd wnd(nullptr, options);
  QString error;
  ASSERT_TRUE(wnd.Setup(96, &error)) << error.toStdString();
  ASSERT_TRUE(WaitForStatus(wnd, UpdateWindowStatus::kHaveUpdates));
  wnd.hub().SendNotify(wnd.FindControl(QStringLiteral("update_OK_btn")), QStringLiteral("click"));
  ASSERT_TRUE(test::WaitUntil([&] {
    QCoreApplication::processEvents();
    return wnd.Row(2)->State() == UpdateRowState::kDownloading &&
           wnd.Row(2)->findChild<QLabel*>(QStringLiteral("update_progress_value"))->text() == "50%";
  }));
  EXPECT_EQ(FolderEntries(downloads), std::vector<std::string>{"zt640_1.0.4.deb.part"});
  EXPECT_FALSE(wnd.CanClose());

  const auto before = std::chrono::steady_clock::now();
  wnd.hub().SendNotify(wnd.FindControl(QStringLiteral("closebtn")), QStringLiteral("click"));
  EXPECT_LT(std::chrono::steady_clock::now() - before, CSetWnd::kWorkerStopWait);
  EXPECT_TRUE(wnd.isHidden());
  EXPECT_TRUE(FolderEntries(downloads).empty());
  EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace zt640
