// Runs the capture process against a stand-in for the utility's main window.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio_record_protocol.h"
#include "platform/ipc/ipc_client.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/ipc/window_handle.h"
#include "platform/paths/runtime_folder.h"
#include "support/wait_until.h"

extern char** environ;

namespace zt640::audiorecord {
namespace {

using namespace std::chrono_literals;

struct Block {
  std::uint64_t kind = 0;
  std::uint64_t sender = 0;
  std::vector<std::int32_t> values;
  std::size_t bytes = 0;
};

class AudioRecordProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-audiorecord-XXXXXX";
    home_ = ::mkdtemp(templ);
    const auto runtime = platform::EnsurePrivateFolder(home_ + "/zt640");
    ASSERT_TRUE(runtime.ok) << runtime.reason;
    client_.emplace(runtime.path);
    command_ = platform::RegisterWindowMessage(kCommandMessageName);
    queue_ = std::make_unique<platform::MessageQueue>();
    queue_->SetHandler([this](const platform::WindowMessage& message) -> std::int64_t {
      if (message.message != platform::kWmCopyData) return 0;
      Block block{message.copy_data_kind, message.wparam, std::vector<std::int32_t>(message.copy_data.size() / 4),
                  message.copy_data.size()};
      DecodeValues(message.copy_data, block.values);
      blocks_.push_back(std::move(block));
      return 1;
    });
    window_ = std::make_unique<platform::WindowEndpoint>(*queue_);
    ASSERT_EQ(window_->Open(runtime.path, kMainWindowClass, platform::kProductTitle), platform::EndpointResult::kOk);
  }

  void TearDown() override {
    for (const pid_t pid : children_) {
      if (::waitpid(pid, nullptr, WNOHANG) == 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
      }
    }
    CloseWindow();
    std::filesystem::remove_all(home_);
  }

  /// Starts the process with no sound server reachable.
  pid_t Start(std::vector<std::string> args = {}) {
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + home_, "PULSE_SERVER=unix:" + home_ + "/no-server",
                                 "ZT640_DEBUG=0"};
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (!entry.starts_with("XDG_RUNTIME_DIR=") && !entry.starts_with("PULSE_SERVER=") &&
          !entry.starts_with("ZT640_DEBUG=")) {
        env.push_back(entry);
      }
    }
    args.insert(args.begin(), ZT640_AUDIORECORD_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, ZT640_AUDIORECORD_PATH, nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    children_.push_back(pid);
    return pid;
  }

  std::optional<platform::WindowAddress> CaptureWindow() const {
    return client_->FindWindow(CaptureWindowClass(), CaptureWindowTitle());
  }

  std::int64_t Command(const platform::WindowAddress& capture, CaptureCommand code, std::int64_t value = 0) {
    platform::WindowMessage message;
    message.message = command_;
    message.wparam = static_cast<std::uint64_t>(code);
    message.lparam = value;
    const auto outcome = client_->SendMessage(capture, message, 2000);
    EXPECT_EQ(outcome.status, platform::IpcStatus::kOk) << static_cast<int>(code);
    return outcome.result;
  }

  void Connect(const platform::WindowAddress& capture) {
    const auto handle = static_cast<std::int64_t>(platform::WindowHandleOf(platform::WindowAddress{window_->socket_path()}));
    EXPECT_EQ(Command(capture, CaptureCommand::kConnect, handle), 1);
    EXPECT_EQ(Command(capture, CaptureCommand::kResetAnalysis), 1);
    EXPECT_EQ(Command(capture, CaptureCommand::kStartSending), 1);
  }

  /// Runs the stand-in window's messages until `done` holds or `limit` passes.
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto give_up = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= give_up) return false;
      pollfd fd{queue_->WakeFd(), POLLIN, 0};
      ::poll(&fd, 1, 10);
      queue_->Dispatch();
    }
    return true;
  }

  std::size_t Count(BlockKind kind) const {
    return static_cast<std::size_t>(std::count_if(blocks_.begin(), blocks_.end(), [kind](const Block& b) {
      return b.kind == static_cast<std::uint64_t>(kind);
    }));
  }
  const Block* Last(BlockKind kind) const {
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
      if (it->kind == static_cast<std::uint64_t>(kind)) return &*it;
    }
    return nullptr;
  }

  void CloseWindow() {
    if (queue_) queue_->Close();
    if (window_) window_->Close();
  }

  static bool Exited(pid_t pid, int* status) { return ::waitpid(pid, status, WNOHANG) == pid; }

  std::string home_;
  std::optional<platform::IpcClient> client_;
  std::uint32_t command_ = 0;
  std::unique_ptr<platform::MessageQueue> queue_;
  std::unique_ptr<platform::WindowEndpoint> window_;
  std::vector<Block> blocks_;
  std::vector<pid_t> children_;
};

TEST_F(AudioRecordProcess, ToneReachesTheWindowInStyleColourStopsOnTwoAndExitsWithTheWindow) {
  const pid_t pid = Start({"--tone", "1000"});
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return CaptureWindow().has_value(); }));
  const platform::WindowAddress capture = *CaptureWindow();

  // The utility's style block: R 9, G 1 (a G of 0 travels as 1), B 0, then zeros.
  const auto style = client_->SendCopyData(capture, 1, static_cast<std::uint64_t>(BlockKind::kStyle),
                                           EncodeValues(std::vector<std::int32_t>{9, 1, 0, 0, 0, 0, 0, 0, 0, 0}), 1500);
  ASSERT_EQ(style.status, platform::IpcStatus::kOk);
  EXPECT_EQ(style.result, 1);
  EXPECT_EQ(Command(capture, static_cast<CaptureCommand>(kLastCommand + 1)), 0);
  Connect(capture);

  // The band that holds 1 kHz on the 20 Hz-16 kHz logarithmic scale of 500 bands.
  const auto band = static_cast<std::size_t>(std::floor(500.0 * std::log(1000.0 / 20.0) / std::log(800.0)));
  ASSERT_TRUE(Pump([&] { const Block* s = Last(BlockKind::kSpectrum); return s && s->values[band] > 1500; }, 5s));
  ASSERT_TRUE(Pump([&] { return Count(BlockKind::kLevels) >= 3 && Last(BlockKind::kLevels)->values[0] > 0; }, 5s));
  for (const Block& b : blocks_) {
    EXPECT_EQ(b.bytes, b.kind == static_cast<std::uint64_t>(BlockKind::kSpectrum) ? 2000u : 24u);
    EXPECT_NE(b.sender, 0u);
  }
  const Block& levels = *Last(BlockKind::kLevels);
  EXPECT_NEAR(levels.values[1], levels.values[0] / 9, 1);  // red weight 9 against green 1
  EXPECT_EQ(levels.values[2], 0);

  EXPECT_EQ(Command(capture, CaptureCommand::kStopSending), 1);
  // A pair already on its way may still land; nothing after it in the next ten periods.
  Pump([] { return false; }, 50ms);
  const std::size_t after_stop = blocks_.size();
  Pump([] { return false; }, 350ms);
  EXPECT_EQ(blocks_.size(), after_stop);

  CloseWindow();
  int status = -1;
  ASSERT_TRUE(test::WaitUntil([&] { return Exited(pid, &status); }, 5s));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(AudioRecordProcess, WithoutSoundServerSendsSilenceAndASecondCopyLeaves) {
  const pid_t pid = Start();
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return CaptureWindow().has_value(); }));
  Connect(*CaptureWindow());
  ASSERT_TRUE(Pump([&] { return Count(BlockKind::kSpectrum) >= 3 && Count(BlockKind::kLevels) >= 3; }, 5s));
  for (const Block& b : blocks_) {
    EXPECT_TRUE(std::all_of(b.values.begin(), b.values.end(), [](std::int32_t v) { return v == 0; })) << b.kind;
  }

  const pid_t second = Start();
  int status = -1;
  ASSERT_TRUE(test::WaitUntil([&] { return Exited(second, &status); }, 5s));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_FALSE(Exited(pid, &status));
}

}  // namespace
}  // namespace zt640::audiorecord
