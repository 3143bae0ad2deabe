#include "devices/worker_thread.h"

#include <utility>

#include "platform/diag/debug_output.h"
#include "platform/sync/thread_name.h"

namespace zt640 {

WorkerThread::~WorkerThread() { Stop(last_wait_); }

void WorkerThread::Start(std::string name, Body body, std::chrono::milliseconds wait) {
  Stop(wait);
  last_wait_ = wait;
  name_ = std::move(name);
  shared_ = std::make_shared<Shared>();
  thread_ = std::thread([shared = shared_, body = std::move(body), name = name_] {
    platform::NameThisThread(name);
    body(shared->stop);
    shared->finished.Set();
  });
}

WorkerThread::StopOutcome WorkerThread::Stop(std::chrono::milliseconds wait) {
  if (!thread_.joinable()) return StopOutcome::kNotRunning;
  shared_->stop.Set();
  if (shared_->finished.Wait(wait.count())) {
    thread_.join();
    platform::DebugOutput("线程退出：：对象处于激发状态\n");
    return StopOutcome::kEnded;
  }
  // The thread cannot be killed safely; it owns what it uses and ends on its own.
  thread_.detach();
  platform::DebugOutput("线程退出：：对象处于非激发状态，超时\n");
  platform::DebugOutput(name_ + " detached");
  return StopOutcome::kTimedOut;
}

}  // namespace zt640
