#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sync/worker_slots.h"
#include "ui/panel_prompts.h"
#include "ui/window_impl_base.h"
#include "update/update_check_schedule.h"
#include "update/update_pass.h"

class QTimer;

namespace zt640 {

class CUpdateInfoListItemUI;
class UpdateEventQueue;

/// The settings window's update page: on opening it asks the update service about
/// every target it was given on a worker (slot 0 of three) and lists the answers as
/// rows; the user ticks the rows to update and confirms. It also holds the language
/// list. Confirmed rows are downloaded one after another on a second worker into the
/// user's download folder; nothing downloaded is run. Closing is refused while a row
/// is waiting for or in a download.
class CSetWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 500;
  static constexpr std::size_t kWorkerSlots = 3;
  static constexpr std::size_t kUpdateWorkerSlot = 0;
  static constexpr std::size_t kDownloadWorkerSlot = 1;
  /// How long closing waits for each worker.
  static constexpr std::chrono::milliseconds kWorkerStopWait{500};

  struct Options {
    std::vector<UpdateTarget> targets;  ///< only targets whose current version is not 0
    UpdateQuery query;                  ///< asks the service about one target (runs on the worker)
    std::string update_time_path;       ///< "updatetime.config" in the user data root
    TodayFunction today = LocalToday;
    int language_index = 0;             ///< the entry of the language list to select
    std::function<void()> all_current;  ///< told when everything is current (the main window's 3094)
    /// The user picked entry `index` of the language list (the main window's 3089).
    std::function<void(int index)> language_chosen;
    std::string language_config;  ///< "Language.config"; empty: the one in the defaults folder
    std::string download_folder;  ///< where confirmed rows are saved; empty: the desktop's download folder
    ui::PanelPrompts prompts;     ///< reports failed downloads and offers to open the folder
    /// Shows a folder in the desktop's file manager; empty: through the desktop's URL handler.
    std::function<void(const QString& folder)> open_folder;
  };

  CSetWnd(QWidget* owner, Options options);
  ~CSetWnd() override;

  /// Builds the window from its skin at `dpi`, fills the language list, makes sure a
  /// last check date is stored and starts the update worker. False with `error` when
  /// the skin cannot be built.
  [[nodiscard]] bool Setup(int dpi, QString* error);

  void Notify(const ui::Notification& notification) override;

  [[nodiscard]] UpdateWindowStatus Status() const { return status_; }
  [[nodiscard]] std::size_t RowCount() const { return rows_.size(); }
  [[nodiscard]] CUpdateInfoListItemUI* Row(std::size_t index) const;
  [[nodiscard]] const std::string& LastCheckText() const { return last_check_text_; }

  /// False while any row waits for or is in a download (a state other than 1, 2, 5, 7, 8).
  [[nodiscard]] bool CanClose() const;
  /// The folder confirmed rows are saved in (empty before the first confirm).
  [[nodiscard]] const QString& DownloadFolder() const { return download_folder_; }
  /// True once a confirmed download pass has ended (every row done or failed).
  [[nodiscard]] bool DownloadsFinished() const { return downloads_finished_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillLanguageList();
  void StartUpdateWorker();
  void StopWorkers();
  void TakeWorkerEvents();
  void ShowStatus(UpdateWindowStatus status);
  void RefreshUpdateButton();
  void ConfirmUpdate();
  void StartDownloads(const std::vector<std::size_t>& confirmed);
  void OnDownloadsDone();
  [[nodiscard]] QString ChooseDownloadFolder() const;

  Options options_;
  double scale_ = 1.0;
  std::shared_ptr<UpdateCheckSchedule> schedule_;
  std::shared_ptr<UpdateEventQueue> events_;
  platform::WorkerSlots workers_{kWorkerSlots};
  QTimer* event_timer_ = nullptr;  ///< takes the worker's events on the window's thread
  std::vector<CUpdateInfoListItemUI*> rows_;
  std::vector<UpdateRow> row_data_;  ///< what each row shows, with the service's answer behind it
  bool checking_ = false;            ///< the update worker has not given its final status yet
  bool downloading_ = false;         ///< the download worker has not ended yet
  bool downloads_finished_ = false;
  QString download_folder_;
  UpdateWindowStatus status_ = UpdateWindowStatus::kChecking;
  std::string last_check_text_;
};

}  // namespace zt640
