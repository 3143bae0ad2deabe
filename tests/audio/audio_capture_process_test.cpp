// The utility's side against the real capture process, without a sound server: the
// watchdog starts it when the capture is wanted, connects, and silence arrives.
#include <gtest/gtest.h>

#include <poll.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>

#include "audio/audio_block_route.h"
#include "audio/audio_lighting.h"
#include "audio/capture_program.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/ipc/window_handle.h"
#include "platform/paths/product_title.h"
#include "platform/paths/runtime_folder.h"
#include "platform/sync/event.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

using Clock = std::chrono::steady_clock;

/// Sets an environment variable for the test's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AudioCaptureProcess, WatchdogStartsConnectsAndSilenceArrives) {
  test::QtApp();
  char pattern[] = "/tmp/zt640-capture-XXXXXX";
  const std::string home = ::mkdtemp(pattern);
  const ScopedEnv runtime_dir("XDG_RUNTIME_DIR", home);
  const ScopedEnv no_server("PULSE_SERVER", "unix:" + home + "/no-server");
  const platform::RuntimeFolderResult runtime = platform::EnsurePrivateFolder(home + "/zt640");
  ASSERT_TRUE(runtime.ok) << runtime.reason;

  // The stand-in main window the blocks come to, taking them on its socket's thread.
  std::optional<AudioLighting> lighting;
  AudioBlockRoute route;
  route.SetOpen(true);
  std::atomic<int> spectrum_blocks = 0;
  std::atomic<int> level_blocks = 0;
  platform::MessageQueue queue;
  platform::WindowEndpoint window(queue);
  window.SetDirectHandler([&](const platform::WindowMessage& message) {
    const std::optional<std::int64_t> taken = route.Take(message);
    if (taken == 1 && message.copy_data_kind == AudioBlockReceiver::kSpectrumKind) ++spectrum_blocks;
    if (taken == 1 && message.copy_data_kind == AudioBlockReceiver::kLevelKind) ++level_blocks;
    return taken;
  });
  ASSERT_EQ(window.Open(runtime.path, "MainWnd", platform::kProductTitle), platform::EndpointResult::kOk);
  const std::uint64_t own = platform::WindowHandleOf(platform::WindowAddress{window.socket_path()});

  lighting.emplace(AudioLighting::Setup{
      .runtime_folder = runtime.path,
      .command_message = platform::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"),
      .own_handle = [own] { return own; },
      .start_capture = [] { return CaptureProgram::Start(ZT640_AUDIORECORD_PATH); },
      // A sanitized capture process on a busy machine may take over a second to
      // take its lock; a shorter settle would count it as failed and start another.
      .timing = {.pass_ms = 50, .settle_ms = 3000}});
  platform::Event stop(platform::Event::Mode::kManualReset);
  std::thread watchdog([&] { lighting->WatchdogBody()(stop); });
  lighting->SetKeyboardWantsAudio(true);

  // 30 blocks of each kind a second: a second's worth shows a steady stream.
  const Clock::time_point give_up = Clock::now() + std::chrono::seconds(20);
  while ((spectrum_blocks < 30 || level_blocks < 30) && Clock::now() < give_up) {
    pollfd fd{queue.WakeFd(), POLLIN, 0};
    ::poll(&fd, 1, 100);
    queue.Dispatch();
  }
  EXPECT_GE(spectrum_blocks, 30);
  EXPECT_GE(level_blocks, 30);
  EXPECT_EQ(lighting->Watchdog().Starts(), 1);
  // Silence: no difference between blocks, so no bar.
  const AudioBlockReceiver blocks = route.Blocks();
  for (const std::int32_t mean : blocks.Means()) EXPECT_EQ(mean, 0);

  lighting->SetKeyboardWantsAudio(false);
  while (!lighting->Watchdog().Sleeping() && Clock::now() < give_up) {
    pollfd fd{queue.WakeFd(), POLLIN, 0};
    ::poll(&fd, 1, 10);
    queue.Dispatch();
  }
  EXPECT_TRUE(lighting->Watchdog().Sleeping());
  stop.Set();
  watchdog.join();

  // Without its window the capture process ends by itself.
  queue.Close();
  window.Close();
  while (lighting->Link().CaptureRunning() && Clock::now() < give_up) {
    pollfd none{-1, 0, 0};
    ::poll(&none, 0, 20);
  }
  EXPECT_FALSE(lighting->Link().CaptureRunning());
  lighting.reset();
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace zt640
