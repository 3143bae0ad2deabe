#include "update/update_event_queue.h"

#include <utility>

namespace zt640 {

void UpdateEventQueue::RowsCreated(const std::vector<UpdateRow>& rows) {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kRowsCreated;
  event.rows = rows;
  Push(std::move(event));
}

void UpdateEventQueue::RowChanged(std::size_t index, const UpdateRow& row) {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kRowChanged;
  event.index = index;
  event.row = row;
  Push(std::move(event));
}

void UpdateEventQueue::StatusChanged(UpdateWindowStatus status) {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kStatus;
  event.status = status;
  Push(std::move(event));
}

void UpdateEventQueue::RowStateChanged(std::size_t index, UpdateRowState state) {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kRowState;
  event.index = index;
  event.state = state;
  Push(std::move(event));
}

void UpdateEventQueue::ProgressChanged(std::size_t index, int percent) {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kProgress;
  event.index = index;
  event.percent = percent;
  Push(std::move(event));
}

void UpdateEventQueue::DownloadsDone() {
  UpdateEvent event;
  event.kind = UpdateEvent::Kind::kDownloadsDone;
  Push(std::move(event));
}

std::vector<UpdateEvent> UpdateEventQueue::TakeAll() {
  const std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

void UpdateEventQueue::Push(UpdateEvent event) {
  const std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
}

}  // namespace zt640
