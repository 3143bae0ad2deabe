#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ipc/window_message.h"

namespace zt640::platform {

enum class SendStatus {
  kHandled,  ///< the handler ran; `result` holds its answer
  kTimeout,  ///< the time-out passed first; the message still runs later, its answer is lost
  kClosed,   ///< the queue is closed (its window is going away); the handler did not run
};

struct SendResult {
  SendStatus status = SendStatus::kClosed;
  std::int64_t result = 0;
};

/// The inbox of one window's thread (the UI thread): blocking sends and posts from any
/// thread, run in arrival order by `Dispatch` on the owner thread. An eventfd becomes
/// readable whenever messages wait, so an event loop can watch it.
///
/// A send from the owner thread runs the handler inline. Closing the queue answers every
/// waiting and later send with kClosed, so a worker blocked in a send can never keep the
/// owner from shutting down.
struct SendWaiter;

class MessageQueue {
 public:
  using Handler = std::function<std::int64_t(const WindowMessage&)>;
  using Completion = std::function<void(const SendResult&)>;

  /// The calling thread becomes the owner.
  MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;
  ~MessageQueue();

  /// Sets the handler; call on the owner thread before messages arrive.
  void SetHandler(Handler handler);

  /// Readable while messages wait (never drained by callers: `Dispatch` does it).
  [[nodiscard]] int WakeFd() const { return wake_fd_; }

  [[nodiscard]] bool IsOwnerThread() const { return std::this_thread::get_id() == owner_; }

  /// Runs `message` on the owner thread and waits for its result; `timeout_ms` < 0 waits
  /// for ever.
  [[nodiscard]] SendResult Send(WindowMessage message, std::int64_t timeout_ms = -1);

  /// A send that does not wait: `completion` runs exactly once, with the handler's result
  /// on the owner thread right after the handler ran, or with kClosed when the queue is
  /// closed (at once on the calling thread, or later on the thread that closes it). From
  /// the owner thread the handler runs inline.
  void SendAsync(WindowMessage message, Completion completion);

  /// Queues `message` and returns at once; false when the queue is closed.
  [[nodiscard]] bool Post(WindowMessage message);

  /// Owner thread only: runs every message queued at the time of the call (a nested
  /// call from a handler goes on with the rest). Returns how many ran.
  std::size_t Dispatch();

  /// Refuses new messages, drops queued posts and releases waiting senders (kClosed).
  void Close();

  [[nodiscard]] bool IsClosed() const;

 private:
  struct Pending {
    WindowMessage message;
    std::shared_ptr<SendWaiter> waiter;  ///< a blocked `Send`, else null
    Completion completion;               ///< a `SendAsync`, else empty
  };

  void SignalWake();
  void ClearWake();

  const std::thread::id owner_;
  int wake_fd_ = -1;
  Handler handler_;  ///< used on the owner thread only

  mutable std::mutex mutex_;
  std::deque<Pending> queue_;  ///< guarded by mutex_
  bool closed_ = false;        ///< guarded by mutex_
};

}  // namespace zt640::platform
