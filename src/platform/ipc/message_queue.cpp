#include "platform/ipc/message_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace zt640::platform {

/// Shared between a blocked sender and the dispatcher; outlives either side.
struct SendWaiter {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;                        ///< guarded by mutex
  SendStatus status = SendStatus::kClosed;  ///< guarded by mutex
  std::int64_t result = 0;                  ///< guarded by mutex

  void Finish(SendStatus final_status, std::int64_t value) {
    {
      std::lock_guard lock(mutex);
      if (done) return;
      done = true;
      status = final_status;
      result = value;
    }
    done_changed.notify_all();
  }
};

MessageQueue::MessageQueue()
    : owner_(std::this_thread::get_id()), wake_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

MessageQueue::~MessageQueue() {
  Close();
  if (wake_fd_ >= 0) ::close(wake_fd_);
}

void MessageQueue::SetHandler(Handler handler) { handler_ = std::move(handler); }

void MessageQueue::SignalWake() {
  if (wake_fd_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_fd_, &one, sizeof one);
}

void MessageQueue::ClearWake() {
  if (wake_fd_ < 0) return;
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(wake_fd_, &count, sizeof count);
}

SendResult MessageQueue::Send(WindowMessage message, std::int64_t timeout_ms) {
  if (IsOwnerThread()) {
    if (IsClosed()) return {SendStatus::kClosed, 0};
    return {SendStatus::kHandled, handler_ ? handler_(message) : 0};
  }
  auto waiter = std::make_shared<SendWaiter>();
  {
    std::lock_guard lock(mutex_);
    if (closed_) return {SendStatus::kClosed, 0};
    queue_.push_back(Pending{std::move(message), waiter, nullptr});
  }
  SignalWake();
  std::unique_lock lock(waiter->mutex);
  const auto finished = [&waiter] { return waiter->done; };
  if (timeout_ms < 0) {
    waiter->done_changed.wait(lock, finished);
  } else if (!waiter->done_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), finished)) {
    return {SendStatus::kTimeout, 0};
  }
  return {waiter->status, waiter->result};
}

void MessageQueue::SendAsync(WindowMessage message, Completion completion) {
  if (IsOwnerThread()) {
    completion(Send(std::move(message)));
    return;
  }
  {
    std::lock_guard lock(mutex_);
    if (!closed_) {
      queue_.push_back(Pending{std::move(message), nullptr, std::move(completion)});
      completion = nullptr;
    }
  }
  if (completion) {
    completion(SendResult{SendStatus::kClosed, 0});
    return;
  }
  SignalWake();
}

bool MessageQueue::Post(WindowMessage message) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    queue_.push_back(Pending{std::move(message), nullptr, nullptr});
  }
  SignalWake();
  return true;
}

std::size_t MessageQueue::Dispatch() {
  std::size_t budget = 0;
  {
    std::lock_guard lock(mutex_);
    ClearWake();
    budget = queue_.size();
  }
  std::size_t ran = 0;
  while (ran < budget) {
    Pending pending;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty() || closed_) break;
      pending = std::move(queue_.front());
      queue_.pop_front();
    }
    const std::int64_t result = handler_ ? handler_(pending.message) : 0;
    if (pending.waiter) pending.waiter->Finish(SendStatus::kHandled, result);
    if (pending.completion) pending.completion(SendResult{SendStatus::kHandled, result});
    ++ran;
  }
  std::lock_guard lock(mutex_);
  if (!queue_.empty()) SignalWake();
  return ran;
}

void MessageQueue::Close() {
  std::deque<Pending> dropped;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(queue_);
  }
  for (Pending& pending : dropped) {
    if (pending.waiter) pending.waiter->Finish(SendStatus::kClosed, 0);
    if (pending.completion) pending.completion(SendResult{SendStatus::kClosed, 0});
  }
}

bool MessageQueue::IsClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace zt640::platform
