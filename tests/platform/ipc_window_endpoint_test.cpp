#include "platform/ipc/window_endpoint.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/ipc_client.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_connection.h"

namespace zt640::platform {
namespace {

/// A window on the test thread: its queue, its endpoint in a temporary runtime folder.
class WindowEndpointTest : public testing::Test {
 protected:
  void Open(EndpointLimits limits = {}, WindowEndpoint::DirectHandler direct = {}) {
    char pattern[] = "/tmp/zt640-ep-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    queue_.SetHandler([this](const WindowMessage& message) {
      handled_.push_back(message.lparam);
      return message.lparam * 2;
    });
    endpoint_ = std::make_unique<WindowEndpoint>(queue_, limits);
    endpoint_->SetDirectHandler(std::move(direct));
    ASSERT_EQ(endpoint_->Open(folder_, "TestWnd", "endpoint"), EndpointResult::kOk);
    window_ = WindowAddress{endpoint_->socket_path()};
  }

  void TearDown() override {
    queue_.Close();
    if (endpoint_) endpoint_->Close();
    if (!folder_.empty()) std::system(("rm -rf '" + folder_ + "'").c_str());
  }

  /// Dispatches on this (the owner) thread until `done` holds or 3 s pass.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done()) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      pollfd entry{queue_.WakeFd(), POLLIN, 0};
      if (::poll(&entry, 1, 5) > 0) queue_.Dispatch();
    }
    return true;
  }

  std::future<IpcSendOutcome> SendLater(std::int64_t lparam) {
    return std::async(std::launch::async, [this, lparam] {
      WindowMessage message;
      message.message = 3093;
      message.lparam = lparam;
      return IpcClient(folder_).SendMessage(window_, message, 3000);
    });
  }

  MessageQueue queue_;
  std::unique_ptr<WindowEndpoint> endpoint_;
  std::string folder_;
  WindowAddress window_;
  std::vector<std::int64_t> handled_;
};

template <typename T>
bool Ready(const std::future<T>& future) {
  return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

TEST_F(WindowEndpointTest, IdleConnectionsDoNotStarveASender) {
  Open();
  // More idle clients than the window holds at once: the oldest make room.
  std::vector<UniqueFd> idle(300);
  for (UniqueFd& fd : idle) ASSERT_EQ(ConnectUnixSocket(window_.socket_path, fd), SocketStatus::kOk);
  const auto started = std::chrono::steady_clock::now();
  auto sent = SendLater(21);
  ASSERT_TRUE(PumpUntil([&] { return Ready(sent); }));
  const IpcSendOutcome outcome = sent.get();
  EXPECT_EQ(outcome.status, IpcStatus::kOk) << IpcStatusText(outcome.status);
  EXPECT_EQ(outcome.result, 42);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1000));
  EXPECT_GE(endpoint_->displaced_connections(), 300u - EndpointLimits{}.max_connections);
}

TEST_F(WindowEndpointTest, IdleConnectionIsDroppedAfterTheReadTimeOut) {
  Open(EndpointLimits{.frame_read_timeout_ms = 100, .max_connections = 8});
  UniqueFd idle;
  ASSERT_EQ(ConnectUnixSocket(window_.socket_path, idle), SocketStatus::kOk);
  pollfd entry{idle.get(), POLLIN, 0};
  ASSERT_EQ(::poll(&entry, 1, 2000), 1) << "the window hangs up on a silent client";
  char byte = 0;
  EXPECT_EQ(::recv(idle.get(), &byte, 1, 0), 0);
  EXPECT_EQ(endpoint_->malformed_frames(), 1u);
}

// With every place taken by a sender waiting for the window, a new sender hears "busy"
// at once instead of a hang-up; an idle client gives its place up first.
TEST_F(WindowEndpointTest, FullOfWaitingSendersAnswersBusyAndServesThemAfterwards) {
  Open(EndpointLimits{.frame_read_timeout_ms = 2000, .max_connections = 2});
  UniqueFd idle;
  ASSERT_EQ(ConnectUnixSocket(window_.socket_path, idle), SocketStatus::kOk);
  auto first = SendLater(1);
  const auto wait_for_senders = [&](std::size_t count) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (endpoint_->waiting_sends() < count && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
    return endpoint_->waiting_sends() == count;
  };
  ASSERT_TRUE(wait_for_senders(1));
  auto second = SendLater(2);
  ASSERT_TRUE(wait_for_senders(2));
  pollfd entry{idle.get(), POLLIN, 0};
  ASSERT_EQ(::poll(&entry, 1, 2000), 1);
  char byte = 0;
  EXPECT_EQ(::recv(idle.get(), &byte, 1, 0), 0) << "the idle client made room";
  EXPECT_EQ(endpoint_->displaced_connections(), 1u);

  auto third = SendLater(3);
  const IpcSendOutcome busy = third.get();
  EXPECT_EQ(busy.status, IpcStatus::kBusy);
  EXPECT_STREQ(IpcStatusText(busy.status), "window busy");
  EXPECT_EQ(endpoint_->busy_answers(), 1u);

  ASSERT_TRUE(PumpUntil([&] { return Ready(first) && Ready(second); }));
  EXPECT_EQ(first.get().result, 2);
  EXPECT_EQ(second.get().result, 4);
  EXPECT_EQ(handled_, (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(endpoint_->waiting_sends(), 0u);
}

TEST_F(WindowEndpointTest, PostsFromOneClientArriveInTheOrderSent) {
  Open();
  const IpcClient client(folder_);
  WindowMessage message;
  message.message = 3093;
  for (int i = 0; i < 100; ++i) {
    message.lparam = i;
    ASSERT_EQ(client.PostMessage(window_, message), IpcStatus::kOk);
  }
  ASSERT_TRUE(PumpUntil([&] { return handled_.size() == 100; }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(handled_[static_cast<std::size_t>(i)], i);
}

TEST_F(WindowEndpointTest, CloseAnswersAWaitingSenderWindowClosing) {
  Open();
  auto waiting = SendLater(5);
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (endpoint_->waiting_sends() == 0 && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  ASSERT_EQ(endpoint_->waiting_sends(), 1u);
  queue_.Close();
  endpoint_->Close();
  EXPECT_EQ(waiting.get().status, IpcStatus::kClosed);
  EXPECT_TRUE(handled_.empty());
}

// A sender of many messages keeps one connection open: each send runs once, in order.
// Left unused, the connection is closed without counting as malformed, and the next
// send goes out on a new one without running twice.
TEST_F(WindowEndpointTest, KeptConnectionCarriesManySendsAndIsClosedWhenUnused) {
  Open(EndpointLimits{.frame_read_timeout_ms = 100, .max_connections = 8});
  WindowConnection connection;
  const auto send = [&](std::int64_t lparam) {
    auto outcome = std::async(std::launch::async, [&, lparam] {
      WindowMessage message;
      message.message = 3093;
      message.lparam = lparam;
      return connection.SendMessage(window_, message, 3000);
    });
    EXPECT_TRUE(PumpUntil([&] { return Ready(outcome); }));
    return outcome.get();
  };
  for (std::int64_t i = 1; i <= 3; ++i) {
    const IpcSendOutcome outcome = send(i);
    EXPECT_EQ(outcome.status, IpcStatus::kOk);
    EXPECT_EQ(outcome.result, 2 * i);
    EXPECT_TRUE(connection.IsOpen());
    EXPECT_EQ(endpoint_->connections_held(), 1u);
  }
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (endpoint_->connections_held() != 0 && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  ASSERT_EQ(endpoint_->connections_held(), 0u);
  EXPECT_TRUE(connection.IsOpen()) << "the sender has not noticed yet";

  EXPECT_EQ(send(4).result, 8);
  EXPECT_EQ(handled_, (std::vector<std::int64_t>{1, 2, 3, 4}));
  EXPECT_EQ(endpoint_->malformed_frames(), 0u);
}

// Messages written in one go on one connection are answered one by one in order,
// whether the socket's thread takes them itself or hands them to the window's queue.
class SendsWrittenTogetherTest : public WindowEndpointTest, public testing::WithParamInterface<bool> {};

TEST_P(SendsWrittenTogetherTest, AreAnsweredInOrder) {
  const bool direct = GetParam();
  std::mutex taken_mutex;
  std::vector<std::int64_t> taken;  // guarded by taken_mutex
  std::atomic<bool> taken_on_owner{false};
  WindowEndpoint::DirectHandler handler;
  if (direct) {
    handler = [&](const WindowMessage& message) -> std::optional<std::int64_t> {
      if (message.lparam % 2 == 0) return std::nullopt;
      const std::lock_guard lock(taken_mutex);
      taken.push_back(message.lparam);
      if (queue_.IsOwnerThread()) taken_on_owner = true;
      return message.lparam * 3;
    };
  }
  Open({}, handler);
  std::vector<WindowMessage> messages(5);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    messages[i].message = 3093;
    messages[i].lparam = static_cast<std::int64_t>(i + 1);
  }
  WindowConnection connection;
  auto outcomes = std::async(std::launch::async, [&] { return connection.SendMessages(window_, messages, 3000); });
  ASSERT_TRUE(PumpUntil([&] { return Ready(outcomes); }));
  const std::vector<IpcSendOutcome> answers = outcomes.get();
  ASSERT_EQ(answers.size(), messages.size());
  for (std::int64_t i = 1; i <= 5; ++i) {
    const IpcSendOutcome& answer = answers[static_cast<std::size_t>(i - 1)];
    EXPECT_EQ(answer.status, IpcStatus::kOk);
    EXPECT_EQ(answer.result, direct && i % 2 == 1 ? 3 * i : 2 * i);
  }
  using Values = std::vector<std::int64_t>;
  EXPECT_EQ(handled_, direct ? Values({2, 4}) : Values({1, 2, 3, 4, 5}));
  const std::lock_guard lock(taken_mutex);
  EXPECT_EQ(taken, direct ? Values({1, 3, 5}) : Values());
  EXPECT_FALSE(taken_on_owner.load());
  EXPECT_TRUE(connection.IsOpen());
  EXPECT_EQ(endpoint_->malformed_frames(), 0u);
}

INSTANTIATE_TEST_SUITE_P(QueueOrSocketThread, SendsWrittenTogetherTest, testing::Bool());

}  // namespace
}  // namespace zt640::platform
