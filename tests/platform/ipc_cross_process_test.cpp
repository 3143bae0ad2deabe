#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/ipc/ipc_client.h"
#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/paths/runtime_folder.h"

namespace zt640::platform {
namespace {

constexpr const char* kClass = "TestWnd";
constexpr const char* kTitle = "測試 window";

/// A window in a child process: it reports what it receives as lines on a pipe.
class CrossProcessIpc : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zt640-ipc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    child_ = ::fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      ::close(fds[0]);
      RunChild(fds[1]);
    }
    ::close(fds[1]);
    report_fd_ = fds[0];
    ASSERT_EQ(ReadLine(), "ready");
  }

  void TearDown() override {
    if (child_ > 0) {
      WindowMessage quit;
      quit.message = RegisterWindowMessage("Quit");
      if (auto window = IpcClient(folder_).FindWindow(kClass, kTitle)) (void)IpcClient(folder_).PostMessage(*window, quit);
      int status = 0;
      ::waitpid(child_, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    if (report_fd_ >= 0) ::close(report_fd_);
    std::system(("rm -rf '" + folder_ + "'").c_str());
  }

  [[noreturn]] void RunChild(int report) {
    const std::uint32_t ping = RegisterWindowMessage("Ping");
    const std::uint32_t slow = RegisterWindowMessage("Slow");
    const std::uint32_t quit = RegisterWindowMessage("Quit");
    bool done = false;
    MessageQueue queue;
    const auto say = [report](const std::string& line) {
      const std::string text = line + "\n";
      [[maybe_unused]] const ssize_t written = ::write(report, text.data(), text.size());
    };
    queue.SetHandler([&](const WindowMessage& message) -> std::int64_t {
      if (message.message == ping) say("ping " + std::to_string(message.wparam) + " " + std::to_string(message.lparam));
      // The slow handler is what the sender's time-out is tested against.
      if (message.message == slow) std::this_thread::sleep_for(std::chrono::milliseconds(400));
      if (message.message == quit) done = true;
      if (message.message == kWmCopyData) {
        say("copy " + std::to_string(message.copy_data_kind) + " " + std::to_string(message.copy_data.size()));
        return static_cast<std::int64_t>(message.copy_data.size());
      }
      return message.lparam * 2;
    });
    WindowEndpoint endpoint(queue);
    if (endpoint.Open(folder_, kClass, kTitle) != EndpointResult::kOk) ::_exit(3);
    say("ready");
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < give_up) {
      pollfd entry{queue.WakeFd(), POLLIN, 0};
      if (::poll(&entry, 1, 50) > 0) queue.Dispatch();
    }
    say("malformed " + std::to_string(endpoint.malformed_frames()));
    queue.Close();
    endpoint.Close();
    ::_exit(0);
  }

  std::string ReadLine() {
    std::string line;
    char c = 0;
    for (;;) {
      pollfd entry{report_fd_, POLLIN, 0};
      if (::poll(&entry, 1, 3000) <= 0 || ::read(report_fd_, &c, 1) != 1) return "<nothing>";
      if (c == '\n') return line;
      line += c;
    }
  }

  WindowAddress Window() {
    auto window = IpcClient(folder_).FindWindow(kClass, kTitle);
    EXPECT_TRUE(window);
    return window.value_or(WindowAddress{});
  }

  std::string folder_;
  pid_t child_ = -1;
  int report_fd_ = -1;
};

TEST_F(CrossProcessIpc, FindWindowMatchesClassTitleOrBoth) {
  const IpcClient client(folder_);
  EXPECT_TRUE(client.FindWindow(kClass, std::nullopt));
  EXPECT_TRUE(client.FindWindow(std::nullopt, kTitle));
  EXPECT_FALSE(client.FindWindow(kClass, "another title"));
  EXPECT_FALSE(client.FindWindow("OtherWnd", std::nullopt));
}

TEST_F(CrossProcessIpc, SendReturnsTheHandlersResult) {
  WindowMessage message;
  message.message = 3093;
  message.lparam = 21;
  const IpcSendOutcome outcome = IpcClient(folder_).SendMessage(Window(), message, 2000);
  EXPECT_EQ(outcome.status, IpcStatus::kOk);
  EXPECT_EQ(outcome.result, 42);
}

TEST_F(CrossProcessIpc, PostAndBroadcastTravelByName) {
  WindowMessage ping;
  ping.message = RegisterWindowMessage("Ping");
  ping.wparam = 0;
  ping.lparam = 1;
  EXPECT_EQ(IpcClient(folder_).PostMessage(Window(), ping), IpcStatus::kOk);
  EXPECT_EQ(ReadLine(), "ping 0 1");
  ping.wparam = 1;
  EXPECT_EQ(IpcClient(folder_).Broadcast(ping), 1);
  EXPECT_EQ(ReadLine(), "ping 1 1");
}

TEST_F(CrossProcessIpc, UnregisteredNameIsAnsweredUnknown) {
  // Registered here after the window's process was forked, under a name new to each run.
  static int run = 0;
  WindowMessage message;
  message.message = RegisterWindowMessage("NeverRegisteredThere" + std::to_string(++run));
  EXPECT_EQ(IpcClient(folder_).SendMessage(Window(), message, 2000).status, IpcStatus::kUnknown);
}

TEST_F(CrossProcessIpc, CopyDataArrivesWholeAndOversizedBlocksAreRefused) {
  const std::vector<std::uint8_t> block(1024, 0xAB);
  const IpcSendOutcome outcome = IpcClient(folder_).SendCopyData(Window(), 0, 1, block, 2000);
  EXPECT_EQ(outcome.status, IpcStatus::kOk);
  EXPECT_EQ(outcome.result, 1024);
  EXPECT_EQ(ReadLine(), "copy 1 1024");
  const std::vector<std::uint8_t> huge(kMaxCopyDataBytes + 1, 0);
  EXPECT_EQ(IpcClient(folder_).SendCopyData(Window(), 0, 1, huge, 2000).status, IpcStatus::kTooLarge);
}

TEST_F(CrossProcessIpc, SendWithTimeoutGivesUpOnASlowHandler) {
  WindowMessage slow;
  slow.message = RegisterWindowMessage("Slow");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(IpcClient(folder_).SendMessage(Window(), slow, 100).status, IpcStatus::kTimeout);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(350));
}

TEST_F(CrossProcessIpc, MalformedFramesAreDroppedAndTheWindowKeepsServing) {
  const WindowAddress window = Window();
  UniqueFd raw;
  ASSERT_EQ(ConnectUnixSocket(window.socket_path, raw), SocketStatus::kOk);
  std::vector<std::uint8_t> garbage(ipc_frame_layout::kHeaderSize, 0x41);
  ASSERT_EQ(WriteAll(raw.get(), garbage, 1000), SocketStatus::kOk);
  raw.Reset();

  WindowMessage message;
  message.message = 3093;
  message.lparam = 5;
  EXPECT_EQ(IpcClient(folder_).SendMessage(window, message, 2000).result, 10);

  WindowMessage quit;
  quit.message = RegisterWindowMessage("Quit");
  ASSERT_EQ(IpcClient(folder_).PostMessage(window, quit), IpcStatus::kOk);
  EXPECT_EQ(ReadLine(), "malformed 1");
  int status = 0;
  ::waitpid(child_, &status, 0);
  child_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(CrossProcessIpc, TwoHundredIdleConnectionsDoNotKeepASenderOut) {
  const WindowAddress window = Window();
  std::vector<UniqueFd> idle(200);
  for (UniqueFd& fd : idle) ASSERT_EQ(ConnectUnixSocket(window.socket_path, fd), SocketStatus::kOk);
  WindowMessage message;
  message.message = 3093;
  message.lparam = 4;
  const IpcSendOutcome outcome = IpcClient(folder_).SendMessage(window, message, 2000);
  EXPECT_EQ(outcome.status, IpcStatus::kOk) << IpcStatusText(outcome.status);
  EXPECT_EQ(outcome.result, 8);
}

TEST(WindowEndpoint_Open, ReplacesAStaleSocketButNotALiveOne) {
  char pattern[] = "/tmp/zt640-ipc-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string path = folder + "/" + WindowSocketName(kClass, kTitle);
  {
    // A socket file whose owner died: bound, never listened on, fd closed.
    UniqueFd stale(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(stale.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  MessageQueue queue;
  WindowEndpoint first(queue);
  EXPECT_EQ(first.Open(folder, kClass, kTitle), EndpointResult::kOk);
  WindowEndpoint second(queue);
  EXPECT_EQ(second.Open(folder, kClass, kTitle), EndpointResult::kInUse);
  queue.Close();
  first.Close();
  EXPECT_NE(::access(path.c_str(), F_OK), 0);
  std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(IpcClient_FindWindow, NoFolderMeansNoWindow) {
  EXPECT_FALSE(IpcClient("/nonexistent/zt640").FindWindow(kClass, kTitle));
  WindowMessage message;
  message.message = 1;
  EXPECT_EQ(IpcClient("/nonexistent/zt640").Broadcast(message), 0);
}

}  // namespace
}  // namespace zt640::platform
