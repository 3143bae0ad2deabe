#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "update/update_pass.h"

namespace zt640 {

/// What an update pass or a download pass produced, in order.
struct UpdateEvent {
  enum class Kind { kRowsCreated, kRowChanged, kStatus, kRowState, kProgress, kDownloadsDone };
  Kind kind = Kind::kStatus;
  std::vector<UpdateRow> rows;  ///< kRowsCreated
  std::size_t index = 0;        ///< kRowChanged, kRowState, kProgress
  UpdateRow row;                ///< kRowChanged
  UpdateWindowStatus status = UpdateWindowStatus::kChecking;  ///< kStatus
  UpdateRowState state = UpdateRowState::kUpToDate;           ///< kRowState
  int percent = 0;                                            ///< kProgress
};

/// The update worker's sink: collects the pass's output for the window's thread to
/// take. Shared by the worker and the window, so a worker that outlives the window
/// (it cannot be stopped inside an exchange) only ever touches this queue.
class UpdateEventQueue : public UpdateListSink {
 public:
  void RowsCreated(const std::vector<UpdateRow>& rows) override;
  void RowChanged(std::size_t index, const UpdateRow& row) override;
  void StatusChanged(UpdateWindowStatus status) override;

  /// The download pass: row `index` took `state`, shows `percent`, or every download ended.
  void RowStateChanged(std::size_t index, UpdateRowState state);
  void ProgressChanged(std::size_t index, int percent);
  void DownloadsDone();

  /// Every event queued so far, oldest first; the queue is empty afterwards.
  [[nodiscard]] std::vector<UpdateEvent> TakeAll();

 private:
  void Push(UpdateEvent event);

  std::mutex mutex_;  ///< guards events_
  std::vector<UpdateEvent> events_;
};

}  // namespace zt640
