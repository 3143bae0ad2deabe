#include "update/set_wnd.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include "platform/diag/debug_output.h"
#include "platform/paths/program_paths.h"
#include "ui/autostart_option.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"
#include "update/update_downloads.h"
#include "update/update_event_queue.h"
#include "update/update_info_list_item_ui.h"

namespace zt640 {

namespace {

constexpr int kEventPollMs = 20;
constexpr char kDownloadFailedKey[] = "update_download_failed_text";
constexpr char kOpenDownloadFolderKey[] = "update_download_open_folder_text";
constexpr int kConfirmOnly = 0;
constexpr int kConfirmAndCancel = 1;

const char* StatusTextKey(UpdateWindowStatus status) {
  switch (status) {
    case UpdateWindowStatus::kChecking:
      return "GetUpdateInfoText";
    case UpdateWindowStatus::kHaveUpdates:
      return "HaveUpdateInfoText";
    case UpdateWindowStatus::kNoService:
      return "NoUpdateInfoText";
    case UpdateWindowStatus::kUpdating:
      return "ISUpdateINGText";
    case UpdateWindowStatus::kAllCurrent:
      return "UpdateIsLastText";
  }
  return "GetUpdateInfoText";
}

bool AllowsClosing(UpdateRowState state) {
  // A downloaded row is finished too: nothing is installed after the download.
  return state == UpdateRowState::kNeedUpdate || state == UpdateRowState::kNeedUpdateAgain ||
         state == UpdateRowState::kDownloaded || state == UpdateRowState::kUpToDate ||
         state == UpdateRowState::kUpdateFailed;
}

}  // namespace

CSetWnd::CSetWnd(QWidget* owner, Options options)
    : WindowImplBase(QStringLiteral("XML_SETWND"), QStringLiteral("SetWnd"), owner),
      options_(std::move(options)),
      schedule_(std::make_shared<UpdateCheckSchedule>(options_.update_time_path, options_.today)),
      events_(std::make_shared<UpdateEventQueue>()) {
  setWindowFlag(Qt::Tool, true);
  event_timer_ = new QTimer(this);
  event_timer_->setInterval(kEventPollMs);
  connect(event_timer_, &QTimer::timeout, this, [this] { TakeWorkerEvents(); });
  connect(&ui::ResourceManager::Instance().Language(), &ui::LanguageManager::LanguageChanged, this,
          [this] { ShowStatus(status_); });
}

CSetWnd::~CSetWnd() { StopWorkers(); }

bool CSetWnd::Setup(int dpi, QString* error) {
  scale_ = dpi > 0 ? dpi / 96.0 : 1.0;
  if (!Create(QStringLiteral("SetWnd"), static_cast<int>(kWidth * scale_), static_cast<int>(kHeight * scale_),
              error)) {
    return false;
  }
  FillLanguageList();
  (void)ui::AutostartOption::BindIn(this);  // a skin without the box offers no autostart
  last_check_text_ = schedule_->EnsureLastCheckText();
  if (QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"))) {
    button->setEnabled(false);
    button->setVisible(false);
  }
  ShowStatus(UpdateWindowStatus::kChecking);
  StartUpdateWorker();
  return true;
}

void CSetWnd::FillLanguageList() {
  auto* combo = FindControl<QComboBox>(QStringLiteral("Language_combox_info"));
  if (combo == nullptr) return;
  const QString list = options_.language_config.empty()
                           ? QString::fromStdString(platform::ResourceFolder("DefaultData")) + "/Language.config"
                           : QString::fromStdString(options_.language_config);
  const QSignalBlocker quiet(combo);
  combo->clear();
  for (const ui::LanguageEntry& entry : ui::LanguageManager::ReadLanguageList(list)) combo->addItem(entry.text);
  if (options_.language_index >= 0 && options_.language_index < combo->count()) {
    combo->setCurrentIndex(options_.language_index);
  }
}

void CSetWnd::StartUpdateWorker() {
  // The worker owns copies of everything it uses: a worker still inside an exchange
  // when the window closes is left behind and must not touch the window.
  auto targets = options_.targets;
  auto query = options_.query;
  auto schedule = schedule_;
  auto events = events_;
  const bool started = workers_.Start(
      kUpdateWorkerSlot, "update worker",
      [targets = std::move(targets), query = std::move(query), schedule, events](const platform::Event& stop) {
        RunUpdatePass(targets, query, *schedule, *events, stop);
        platform::DebugOutput("update worker ends");
      });
  if (!started) {
    platform::DebugOutput("update worker could not be started");
    return;
  }
  checking_ = true;
  event_timer_->start();
}

void CSetWnd::StopWorkers() {
  const auto report = workers_.StopAll(kWorkerStopWait);
  if (!report.detached.empty()) platform::DebugOutput("update worker left running after close");
  event_timer_->stop();
}

void CSetWnd::TakeWorkerEvents() {
  auto* list = FindControl(QStringLiteral("device_update_list_rows"));
  for (UpdateEvent& event : events_->TakeAll()) {
    switch (event.kind) {
      case UpdateEvent::Kind::kRowsCreated:
        row_data_.insert(row_data_.end(), event.rows.begin(), event.rows.end());
        for (const UpdateRow& row : event.rows) {
          auto* item = new CUpdateInfoListItemUI(list);
          item->SetRow(row);
          if (list != nullptr && list->layout() != nullptr) {
            auto* box = static_cast<QBoxLayout*>(list->layout());
            box->insertWidget(static_cast<int>(rows_.size()), item);
          }
          hub().Attach(item);
          ui::ResourceManager::Instance().Language().Bind(item);
          rows_.push_back(item);
        }
        break;
      case UpdateEvent::Kind::kRowChanged:
        if (event.index < rows_.size()) {
          rows_[event.index]->SetRow(event.row);
          row_data_[event.index] = event.row;
        }
        break;
      case UpdateEvent::Kind::kRowState:
        if (event.index < rows_.size()) rows_[event.index]->SetState(event.state);
        break;
      case UpdateEvent::Kind::kProgress:
        if (event.index < rows_.size()) rows_[event.index]->SetProgress(event.percent);
        break;
      case UpdateEvent::Kind::kDownloadsDone:
        downloading_ = false;
        // After this batch: the questions run their own event loops.
        QTimer::singleShot(0, this, [this] { OnDownloadsDone(); });
        break;
      case UpdateEvent::Kind::kStatus:
        if (event.status != UpdateWindowStatus::kChecking) {
          last_check_text_ = schedule_->LastCheckText().value_or(last_check_text_);
        }
        ShowStatus(event.status);
        if (event.status != UpdateWindowStatus::kChecking) {
          checking_ = false;
          RefreshUpdateButton();
          if (event.status == UpdateWindowStatus::kAllCurrent && options_.all_current) options_.all_current();
        }
        break;
    }
  }
  if (!checking_ && !downloading_) event_timer_->stop();
}

void CSetWnd::ShowStatus(UpdateWindowStatus status) {
  status_ = status;
  const bool checking = status == UpdateWindowStatus::kChecking;
  if (QWidget* ring = FindControl(QStringLiteral("update_status_ring"))) ring->setVisible(checking);
  if (QWidget* image = FindControl(QStringLiteral("update_status_image"))) image->setVisible(!checking);
  auto* label = FindControl<QLabel>(QStringLiteral("Update_Status_text"));
  if (label == nullptr) return;
  const QString key = QString::fromLatin1(StatusTextKey(status));
  QString text = ui::ResourceManager::Instance().Language().Text(key);
  if (status == UpdateWindowStatus::kAllCurrent) text += QString::fromStdString(last_check_text_);
  // The text is set here, also on a language switch; the skin's key must not override it.
  label->setProperty("textKey", QVariant());
  label->setText(text);
}

CUpdateInfoListItemUI* CSetWnd::Row(std::size_t index) const { return index < rows_.size() ? rows_[index] : nullptr; }

bool CSetWnd::CanClose() const {
  for (const CUpdateInfoListItemUI* row : rows_) {
    if (!AllowsClosing(row->State())) return false;
  }
  return true;
}

void CSetWnd::RefreshUpdateButton() {
  bool any_ticked = false;
  for (const CUpdateInfoListItemUI* row : rows_) any_ticked = any_ticked || row->IsChecked();
  if (QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"))) {
    button->setEnabled(any_ticked);
    button->setVisible(any_ticked);
  }
}

void CSetWnd::ConfirmUpdate() {
  std::vector<std::size_t> confirmed;
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    CUpdateInfoListItemUI* row = rows_[index];
    const UpdateRowState state = row->State();
    if (state != UpdateRowState::kNeedUpdate && state != UpdateRowState::kNeedUpdateAgain) continue;
    if (row->IsChecked()) {
      row->SetState(UpdateRowState::kDownloadWaiting);
      confirmed.push_back(index);
    } else {
      row->SetCheckEnabled(false);
    }
  }
  if (QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"))) button->setEnabled(false);
  if (auto* pages = FindControl<QStackedWidget>(QStringLiteral("get_update_tab_layout"))) pages->setCurrentIndex(0);
  if (!confirmed.empty()) StartDownloads(confirmed);
}

QString CSetWnd::ChooseDownloadFolder() const {
  if (!options_.download_folder.empty()) return QString::fromStdString(options_.download_folder);
  // The desktop's download folder (XDG_DOWNLOAD_DIR), else ~/Downloads.
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty()) folder = QDir::home().filePath(QStringLiteral("Downloads"));
  return folder;
}

void CSetWnd::StartDownloads(const std::vector<std::size_t>& confirmed) {
  download_folder_ = ChooseDownloadFolder();
  if (!QDir().mkpath(download_folder_)) platform::DebugOutput("download folder cannot be made");
  std::vector<DownloadJob> jobs = DownloadJobsFor(row_data_, confirmed, download_folder_.toStdString());
  auto events = events_;
  const bool started = workers_.Start(kDownloadWorkerSlot, "update download",
                                      [jobs = std::move(jobs), events](const platform::Event& stop) {
                                        (void)RunDownloads(jobs, *events, stop);  // the rows show the outcome
                                        platform::DebugOutput("update download worker ends");
                                      });
  if (!started) {
    platform::DebugOutput("update download worker could not be started");
    for (const std::size_t index : confirmed) rows_[index]->SetState(UpdateRowState::kUpdateFailed);
    return;
  }
  downloading_ = true;
  event_timer_->start();
}

void CSetWnd::OnDownloadsDone() {
  downloads_finished_ = true;
  bool any_failed = false;
  bool any_saved = false;
  for (const CUpdateInfoListItemUI* row : rows_) {
    any_failed = any_failed || row->State() == UpdateRowState::kUpdateFailed;
    any_saved = any_saved || row->State() == UpdateRowState::kDownloaded;
  }
  if (any_failed) (void)options_.prompts.Message(QString::fromLatin1(kDownloadFailedKey), kConfirmOnly);
  if (!any_saved || options_.prompts.Message(QString::fromLatin1(kOpenDownloadFolderKey), kConfirmAndCancel) != 1) {
    return;
  }
  if (options_.open_folder) {
    options_.open_folder(download_folder_);
  } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(download_folder_))) {
    platform::DebugOutput("the download folder could not be shown");
  }
}

void CSetWnd::Notify(const ui::Notification& notification) {
  const QString& name = notification.sender_name;
  if (notification.kind == QLatin1String("selectchanged") && name == QLatin1String("check_name_select")) {
    RefreshUpdateButton();
    return;
  }
  if (notification.kind == QLatin1String("itemselect") && name == QLatin1String("Language_combox_info")) {
    if (options_.language_chosen && notification.wparam >= 0) options_.language_chosen(static_cast<int>(notification.wparam));
    return;
  }
  if (notification.kind != QLatin1String("click") || HandleCaptionButton(name)) return;
  if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) {
    StopWorkers();
    Close(0);
  } else if (name == QLatin1String("set_in_update_wnd_btn")) {
    if (QWidget* hint = FindControl(QStringLiteral("update_tishi_layout"))) hint->setVisible(false);
    resize(static_cast<int>(kWidth * scale_), static_cast<int>(kHeight * scale_));
  } else if (name == QLatin1String("update_fw_and_ap")) {
    if (auto* pages = FindControl<QStackedWidget>(QStringLiteral("get_update_tab_layout"))) pages->setCurrentIndex(1);
  } else if (name == QLatin1String("update_OK_btn")) {
    ConfirmUpdate();
  }
}

void CSetWnd::closeEvent(QCloseEvent* event) {
  if (!CanClose()) {
    event->ignore();
    return;
  }
  StopWorkers();
  WindowImplBase::closeEvent(event);
}

}  // namespace zt640
