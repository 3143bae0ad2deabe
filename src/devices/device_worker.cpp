#include "devices/device_worker.h"

#include <utility>

#include "platform/diag/debug_output.h"
#include "platform/sync/thread_name.h"

namespace zt640 {

DeviceWorker::DeviceWorker(std::string name) : name_(std::move(name)) {
  thread_ = std::thread([this] {
    platform::NameThisThread(name_);
    Run();
  });
}

DeviceWorker::~DeviceWorker() { Stop(); }

bool DeviceWorker::Post(Task task) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
  return true;
}

std::size_t DeviceWorker::Pending() const {
  std::lock_guard lock(mutex_);
  return tasks_.size() + (running_task_ ? 1 : 0);
}

bool DeviceWorker::Stopping() const {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void DeviceWorker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    if (stopping_) break;
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    running_task_ = true;
    lock.unlock();
    task();
    task = nullptr;
    lock.lock();
    running_task_ = false;
    idle_.notify_all();
  }
  running_task_ = false;
  idle_.notify_all();
}

void DeviceWorker::Stop(std::chrono::milliseconds patience) {
  std::deque<Task> dropped;
  {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) return;
    stopping_ = true;
    dropped.swap(tasks_);
    wake_.notify_all();
    if (!idle_.wait_for(lock, patience, [this] { return !running_task_; })) {
      platform::DebugOutput(name_ + ": the running exchange is slow to end");
    }
  }
  thread_.join();
  platform::DebugOutput(name_ + " ended");
}

}  // namespace zt640
