#include "platform/sync/worker_slots.h"

#include "platform/diag/debug_output.h"
#include "platform/sync/thread_name.h"

namespace zt640::platform {

WorkerSlots::WorkerSlots(std::size_t count) : slots_(count) {
  for (Slot& slot : slots_) slot.state = std::make_shared<SlotState>();
}

WorkerSlots::~WorkerSlots() {
  bool stopped = false;
  {
    std::lock_guard lock(mutex_);
    stopped = stopped_;
  }
  if (!stopped) StopAll(std::chrono::milliseconds(1000));
}

bool WorkerSlots::Start(std::size_t index, std::string name, Body body) {
  std::lock_guard lock(mutex_);
  if (stopped_ || index >= slots_.size() || slots_[index].thread.joinable() || !body) return false;
  Slot& slot = slots_[index];
  slot.name = std::move(name);
  std::shared_ptr<SlotState> state = slot.state;
  slot.thread = std::thread([state, body = std::move(body), name = slot.name] {
    NameThisThread(name);
    body(state->stop);
    state->finished.Set();
  });
  return true;
}

const Event* WorkerSlots::StopEvent(std::size_t index) const {
  if (index >= slots_.size()) return nullptr;
  return &slots_[index].state->stop;
}

bool WorkerSlots::HasThread(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return index < slots_.size() && slots_[index].thread.joinable();
}

WorkerSlots::StopReport WorkerSlots::StopAll(std::chrono::milliseconds per_slot) {
  std::vector<Slot> taken;
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    for (Slot& slot : slots_) slot.state->stop.Set();
    for (Slot& slot : slots_) {
      Slot moved;
      moved.state = slot.state;
      moved.thread = std::move(slot.thread);
      moved.name = std::move(slot.name);
      taken.push_back(std::move(moved));
    }
  }
  StopReport report;
  for (std::size_t index = 0; index < taken.size(); ++index) {
    Slot& slot = taken[index];
    if (!slot.thread.joinable()) continue;
    if (slot.state->finished.Wait(per_slot.count())) {
      slot.thread.join();
      report.joined.push_back(index);
    } else {
      slot.thread.detach();
      report.detached.push_back(index);
      DebugOutput("worker slot " + std::to_string(index) + " (" + slot.name +
                  ") did not stop in time; thread detached");
    }
  }
  return report;
}

}  // namespace zt640::platform
