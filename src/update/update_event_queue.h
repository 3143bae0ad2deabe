#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "update/update_pass.h"

namespace zt640 {

/// What an update pass produced, in order.
struct UpdateEvent {
  enum class Kind { kRowsCreated, kRowChanged, kStatus };
  Kind kind = Kind::kStatus;
  std::vector<UpdateRow> rows;  ///< kRowsCreated
  std::size_t index = 0;        ///< kRowChanged
  UpdateRow row;                ///< kRowChanged
  UpdateWindowStatus status = UpdateWindowStatus::kChecking;  ///< kStatus
};

/// The update worker's sink: collects the pass's output for the window's thread to
/// take. Shared by the worker and the window, so a worker that outlives the window
/// (it cannot be stopped inside an exchange) only ever touches this queue.
class UpdateEventQueue : public UpdateListSink {
 public:
  void RowsCreated(const std::vector<UpdateRow>& rows) override;
  void RowChanged(std::size_t index, const UpdateRow& row) override;
  void StatusChanged(UpdateWindowStatus status) override;

  /// Every event queued so far, oldest first; the queue is empty afterwards.
  [[nodiscard]] std::vector<UpdateEvent> TakeAll();

 private:
  void Push(UpdateEvent event);

  std::mutex mutex_;  ///< guards events_
  std::vector<UpdateEvent> events_;
};

}  // namespace zt640
