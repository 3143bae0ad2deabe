// The main window's way to the settings and update window, the once-a-day update
// check after start-up and the keyboard's firmware gate.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "devices/kalvex_usb_device.h"
#include "platform/diag/debug_output.h"
#include "platform/paths/program_paths.h"
#include "platform/settings/registry_store.h"
#include "shell/device_option_ui.h"
#include "shell/device_selector.h"
#include "shell/main_wnd.h"
#include "update/daily_update_check.h"
#include "update/firmware_gate.h"
#include "update/set_wnd.h"
#include "updateclient/installed_version.h"
#include "updateclient/update_client.h"

namespace zt640 {

namespace {

/// The settings window's place beside the main window's top right corner, in pixels at 96 dpi.
constexpr int kSettingsRightInset = 30;
constexpr int kSettingsTopInset = 60;
/// How often the UI thread looks for the start-up check's answer while it runs.
constexpr int kUpdateCheckPollMs = 200;
constexpr int kNoAnswerYet = -1;
/// The firmware upgrade package: an executable in the "Updata" folder beside the program.
constexpr char kFirmwareUpgradeFolder[] = "Updata";
constexpr char kFirmwareUpgradePackage[] = "zt640-firmware-upgrade";
constexpr char kFirmwareUpgradeArgument[] = "On the upgrade";
constexpr char kFirmwareTooOldKey[] = "message_text_26";
constexpr int kConfirmAndCancel = 1;

/// Asks the update service named by the environment or the settings store.
UpdateQuery ServiceQuery() {
  const platform::RegistryStore store(platform::RegistryStore::DefaultPath());
  const UpdateClient client({ResolveUpdateBaseUrl(store).base_url, ExchangeTimeouts{}});
  return [client](const std::string& key, uint32_t version, uint32_t format, const std::function<bool()>& cancelled) {
    return client.QueryUpdate(key, version, format, cancelled);
  };
}

std::string UpdateTimePath() {
  const std::string root = platform::UserDataRoot();
  return root.empty() ? std::string() : root + "/" + kUpdateTimeFileName;
}

}  // namespace

std::vector<UpdateTarget> CMainWnd::UpdateTargets() const {
  const std::string path = update_catalogue_.isEmpty()
                               ? platform::ResourceFolder("DefaultData") + "/" + kUpdateCatalogueFileName
                               : update_catalogue_.toStdString();
  std::string error;
  const std::optional<UpdateCatalogue> catalogue = LoadUpdateCatalogue(path, error);
  if (!catalogue) {
    platform::DebugOutput("update catalogue: " + error);
    return {};
  }
  std::vector<UpdateTarget> targets;
  // Rows 0 to 2 follow the selector's first three entries; a device counts when its
  // channel is open on the cable, whose USB version is the firmware's.
  const std::vector<CDeviceOptionUI*> entries = selector_ ? selector_->Entries() : std::vector<CDeviceOptionUI*>{};
  for (std::size_t row = 0; row < kApplicationRow; ++row) {
    CKalvexUSBDevice* device = row < entries.size() ? entries[row]->Device() : nullptr;
    if (device == nullptr || !device->Channel().is_open() || !device->Channel().wired_interface().IsOpen()) continue;
    const uint32_t version = device->Channel().wired_interface().Attributes().version_number;
    if (version != 0) targets.push_back({(*catalogue)[row], version});
  }
  const uint32_t installed = ReadInstalledVersion();
  if (installed != 0) targets.push_back({(*catalogue)[kApplicationRow], installed});
  return targets;
}

CSetWnd* CMainWnd::SettingsWindow() const { return set_wnd_ && set_wnd_->isVisible() ? set_wnd_.data() : nullptr; }

void CMainWnd::OpenSettingsWindow(bool centred) {
  if (CSetWnd* open = SettingsWindow()) {
    open->raise();
    open->activateWindow();
    return;
  }
  // A closed window only hides; each opening asks the service anew.
  delete set_wnd_.data();

  CSetWnd::Options options;
  options.targets = UpdateTargets();
  options.query = ServiceQuery();
  options.update_time_path = UpdateTimePath();
  options.language_index = language_index_;
  options.language_config = language_config_.toStdString();
  options.download_folder = download_folder_.toStdString();
  options.prompts = prompts_;
  // The window's answers reach this window as the messages other programs may send too.
  options.all_current = [this] {
    platform::WindowMessage current;
    current.message = kClearUpdateMarkMessage;
    (void)messages().Post(std::move(current));  // closed only while the window goes away
  };
  options.language_chosen = [this](int index) {
    platform::WindowMessage chosen;
    chosen.message = kLanguageChangedMessage;
    chosen.wparam = static_cast<std::uint64_t>(index);
    (void)messages().Post(std::move(chosen));  // closed only while the window goes away
  };

  auto* window = new CSetWnd(this, std::move(options));
  QString error;
  if (!window->Setup(dpi_, &error)) {
    platform::DebugOutput("settings window not opened: " + error.toStdString());
    delete window;
    return;
  }
  set_wnd_ = window;
  settings_centred_ = centred;
  // Modal for the main window, without a nested event loop: the window's workers
  // report through the main loop.
  window->setWindowModality(Qt::WindowModal);
  PlaceSettingsWindow();
  window->show();
  window->raise();
  window->activateWindow();
}

void CMainWnd::PlaceSettingsWindow() {
  CSetWnd* window = set_wnd_.data();
  if (window == nullptr) return;
  if (settings_centred_) {
    window->CenterWindow();
    return;
  }
  const double scale = dpi_ / 96.0;
  const QRect frame = geometry();
  window->move(frame.right() - static_cast<int>(kSettingsRightInset * scale) - window->width(),
               frame.top() + static_cast<int>(kSettingsTopInset * scale));
}

bool CMainWnd::UpdateMarkShown() const { return set_button_ && set_button_->property("updateMark").toBool(); }

void CMainWnd::SetUpdateMark(bool shown) {
  if (!set_button_) return;
  set_button_->setProperty("updateMark", shown);
  set_button_->style()->polish(set_button_);
}

bool CMainWnd::StartUpdateCheck() {
  auto schedule = std::make_shared<UpdateCheckSchedule>(UpdateTimePath());
  if (!schedule->IsCheckDue() || workers_.HasThread(kUpdateCheckSlot)) return false;
  auto answer = std::make_shared<std::atomic<int>>(kNoAnswerYet);
  const bool started = workers_.Start(
      kUpdateCheckSlot, "update check",
      [targets = UpdateTargets(), query = ServiceQuery(), schedule, answer](const platform::Event& stop) {
        const std::optional<UpdateWindowStatus> status = CheckForUpdatesIfDue(targets, query, *schedule, stop);
        answer->store(static_cast<int>(status.value_or(UpdateWindowStatus::kChecking)));
        platform::DebugOutput("update check ends");
      });
  if (!started) {
    platform::DebugOutput("update check not started");
    return false;
  }
  // The worker only ever touches `answer`; the window looks for it on its own thread.
  auto* poll = new QTimer(this);
  poll->setInterval(kUpdateCheckPollMs);
  connect(poll, &QTimer::timeout, this, [this, poll, answer] {
    const int status = answer->load();
    if (status == kNoAnswerYet) return;
    poll->deleteLater();
    if (status == static_cast<int>(UpdateWindowStatus::kHaveUpdates)) SetUpdateMark(true);
  });
  poll->start();
  return true;
}

void CMainWnd::OnFirmwareReport(std::uint64_t product_id, std::int64_t version) {
  switch (DecideFirmwareGate(static_cast<uint16_t>(product_id), static_cast<uint16_t>(version))) {
    case FirmwareGateAction::kIgnore:
      return;
    case FirmwareGateAction::kFirmwareOk:
      FirmwareOkFlag::Set(true);
      return;
    case FirmwareGateAction::kOfferUpgrade:
      break;
  }
  FirmwareOkFlag::Set(false);
  ShowNoDevicePanel(true);
  // One question at a time: the keyboard reports again on every reconnection.
  if (firmware_prompt_open_) return;
  firmware_prompt_open_ = true;
  // After this message is answered: the box runs its own modal loop.
  QTimer::singleShot(0, this, [this] {
    const int answer = prompts_.Message(QString::fromLatin1(kFirmwareTooOldKey), kConfirmAndCancel);
    firmware_prompt_open_ = false;
    if (answer == 1) {
      StartFirmwareUpgrade();
    } else {
      // The program cannot work with this keyboard: it ends, through the orderly shut-down.
      Destroy();
    }
  });
}

void CMainWnd::StartFirmwareUpgrade() {
  const QString folder = QString::fromStdString(platform::ResourceFolder(kFirmwareUpgradeFolder));
  const QString package = QDir(folder).filePath(QString::fromLatin1(kFirmwareUpgradePackage));
  if (QFileInfo(package).isExecutable() &&
      QProcess::startDetached(package, {QString::fromLatin1(kFirmwareUpgradeArgument)}, folder)) {
    return;
  }
  // No upgrade package beside the program: the update window offers the keyboard's firmware.
  platform::DebugOutput("firmware upgrade package not found; opening the update window");
  OpenSettingsWindow(true);
}

}  // namespace zt640
