#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/ipc/message_queue.h"

namespace zt640::platform {
namespace {

/// Runs the owner side until `done` turns true: waits on the wake fd and dispatches.
void PumpUntil(MessageQueue& queue, const std::atomic<bool>& done) {
  while (!done.load()) {
    pollfd entry{queue.WakeFd(), POLLIN, 0};
    if (::poll(&entry, 1, 20) > 0) queue.Dispatch();
  }
}

TEST(MessageQueue_Send, FromAWorkerWaitsForTheOwnerThreadsHandler) {
  MessageQueue queue;
  std::thread::id ran_on;
  queue.SetHandler([&](const WindowMessage& message) {
    ran_on = std::this_thread::get_id();
    return static_cast<std::int64_t>(message.wparam * 2);
  });
  std::atomic<bool> done{false};
  auto worker = std::async(std::launch::async, [&] {
    WindowMessage message;
    message.message = 3090;
    message.wparam = 21;
    const SendResult result = queue.Send(message);
    done = true;
    return result;
  });
  PumpUntil(queue, done);
  const SendResult result = worker.get();
  EXPECT_EQ(result.status, SendStatus::kHandled);
  EXPECT_EQ(result.result, 42);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(MessageQueue_Send, OnTheOwnerThreadRunsInline) {
  MessageQueue queue;
  queue.SetHandler([](const WindowMessage&) { return std::int64_t{7}; });
  WindowMessage message;
  message.message = 1;
  EXPECT_EQ(queue.Send(message).result, 7);
}

TEST(MessageQueue_Send, TimesOutWhenTheOwnerDoesNotDispatch) {
  MessageQueue queue;
  WindowMessage message;
  message.message = 1;
  auto worker = std::async(std::launch::async, [&] { return queue.Send(message, 50); });
  EXPECT_EQ(worker.get().status, SendStatus::kTimeout);
}

TEST(MessageQueue_Close, ReleasesABlockedSenderAndRefusesPosts) {
  MessageQueue queue;
  WindowMessage message;
  message.message = 1;
  auto worker = std::async(std::launch::async, [&] { return queue.Send(message); });
  // The owner's wake-up descriptor turns readable once the message is queued.
  pollfd queued{queue.WakeFd(), POLLIN, 0};
  EXPECT_EQ(::poll(&queued, 1, 5000), 1) << "the sender never queued its message";
  queue.Close();
  EXPECT_EQ(worker.get().status, SendStatus::kClosed);
  EXPECT_FALSE(queue.Post(message));
}

TEST(MessageQueue_SendAsync, CompletesOnceOnTheOwnerAfterTheHandlerOrWithClosed) {
  MessageQueue queue;
  queue.SetHandler([](const WindowMessage& message) { return static_cast<std::int64_t>(message.wparam + 1); });
  struct Seen {
    int calls = 0;
    SendResult result;
    std::thread::id thread;
  };
  Seen handled;
  Seen dropped;
  Seen refused;
  const auto record = [](Seen& seen) {
    return [&seen](const SendResult& result) {
      ++seen.calls;
      seen.result = result;
      seen.thread = std::this_thread::get_id();
    };
  };
  WindowMessage message;
  message.message = 5;
  message.wparam = 9;
  std::thread([&] { queue.SendAsync(message, record(handled)); }).join();
  EXPECT_EQ(handled.calls, 0) << "nothing runs before the owner dispatches";
  EXPECT_EQ(queue.Dispatch(), 1u);
  EXPECT_EQ(handled.calls, 1);
  EXPECT_EQ(handled.result.status, SendStatus::kHandled);
  EXPECT_EQ(handled.result.result, 10);
  EXPECT_EQ(handled.thread, std::this_thread::get_id());

  std::thread([&] { queue.SendAsync(message, record(dropped)); }).join();
  queue.Close();
  EXPECT_EQ(queue.Dispatch(), 0u);
  EXPECT_EQ(dropped.calls, 1);
  EXPECT_EQ(dropped.result.status, SendStatus::kClosed);

  std::thread([&] { queue.SendAsync(message, record(refused)); }).join();
  EXPECT_EQ(refused.calls, 1);
  EXPECT_EQ(refused.result.status, SendStatus::kClosed);
}

TEST(MessageQueue_Post, RunsInArrivalOrder) {
  MessageQueue queue;
  std::vector<std::uint64_t> seen;
  queue.SetHandler([&](const WindowMessage& message) {
    seen.push_back(message.wparam);
    return std::int64_t{0};
  });
  for (std::uint64_t i = 0; i < 3; ++i) {
    WindowMessage message;
    message.message = 5;
    message.wparam = i;
    ASSERT_TRUE(queue.Post(message));
  }
  EXPECT_EQ(queue.Dispatch(), 3u);
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 1, 2}));
}

}  // namespace
}  // namespace zt640::platform
