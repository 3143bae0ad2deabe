#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sync/worker_slots.h"
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
/// list. Closing is refused while a row is waiting for or in an update.
class CSetWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 500;
  static constexpr std::size_t kWorkerSlots = 3;
  static constexpr std::size_t kUpdateWorkerSlot = 0;
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

  /// False while any row waits for or is in an update (a state other than 1, 2, 7, 8).
  [[nodiscard]] bool CanClose() const;

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

  Options options_;
  double scale_ = 1.0;
  std::shared_ptr<UpdateCheckSchedule> schedule_;
  std::shared_ptr<UpdateEventQueue> events_;
  platform::WorkerSlots workers_{kWorkerSlots};
  QTimer* event_timer_ = nullptr;  ///< takes the worker's events on the window's thread
  std::vector<CUpdateInfoListItemUI*> rows_;
  UpdateWindowStatus status_ = UpdateWindowStatus::kChecking;
  std::string last_check_text_;
};

}  // namespace zt640
