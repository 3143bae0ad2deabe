// The capture watchdog: restarts a capture process that ends, gives up on one that
// will not stay up, and stays asleep while nothing needs the capture.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "audio/audio_capture_link.h"
#include "audio/capture_program.h"
#include "audio/capture_watchdog.h"
#include "platform/paths/runtime_folder.h"
#include "platform/sync/event.h"
#include "platform/sync/named_mutex.h"
#include "support/wait_until.h"

namespace zt640 {
namespace {

using namespace std::chrono_literals;

/// Runs a watchdog on its own thread until the fixture ends.
class WatchdogThread {
 public:
  explicit WatchdogThread(CaptureWatchdog& watchdog) : thread_([this, &watchdog] { watchdog.Run(stop_); }) {}
  ~WatchdogThread() {
    stop_.Set();
    thread_.join();
  }

 private:
  platform::Event stop_{platform::Event::Mode::kManualReset};
  std::thread thread_;
};

constexpr CaptureWatchdog::Timing kQuick{.pass_ms = 5, .settle_ms = 1};

TEST(CaptureWatchdog, RestartsAStandInProcessThatEnds) {
  char pattern[] = "/tmp/zt640-watchdog-XXXXXX";
  const std::string home = ::mkdtemp(pattern);
  const platform::RuntimeFolderResult runtime = platform::EnsurePrivateFolder(home + "/zt640");
  ASSERT_TRUE(runtime.ok) << runtime.reason;
  // The stand-in holds the capture lock for a moment and ends, as a crashing process would.
  const std::string lock = platform::NamedMutex::LockFilePath(runtime.path, AudioCaptureLink::MutexName());
  const std::string stand_in = home + "/" + CaptureProgram::kProgramName;
  std::ofstream(stand_in) << "#!/bin/sh\nexec flock -n '" << lock << "' sleep 0.05 2>/dev/null\n";
  ::chmod(stand_in.c_str(), 0700);
  ASSERT_EQ(CaptureProgram::Locate(home), stand_in);

  AudioCaptureLink link(runtime.path, 0, {});
  std::atomic<int> failures{0};
  CaptureWatchdog watchdog({.capture_running = [&] { return link.CaptureRunning(); },
                            .start = [&] { return CaptureProgram::Start(stand_in); },
                            .connect = [] { return true; },
                            .disconnect = {},
                            .start_failed = [&] { ++failures; }},
                           kQuick);
  {
    WatchdogThread thread(watchdog);
    watchdog.SetWanted(true);
    // Each start is seen running and later gone: the count keeps rising past the
    // limit on failed starts, which only counts starts that never came up.
    EXPECT_TRUE(test::WaitUntil([&] { return watchdog.Starts() >= CaptureWatchdog::kMaxFailedStarts + 2; }, 20s));
  }
  EXPECT_EQ(failures.load(), 0);
  EXPECT_GE(watchdog.Connects(), 1);
  // Let the last stand-in finish before its folder goes.
  EXPECT_TRUE(test::WaitUntil([&] { return !link.CaptureRunning(); }, 5s));
  std::filesystem::remove_all(home);
}

struct Counts {
  std::atomic<int> running_checks{0};
  std::atomic<int> starts{0};
  std::atomic<int> connects{0};
  std::atomic<int> disconnects{0};
  std::atomic<int> failures{0};
};

CaptureWatchdog::Actions Fake(Counts& counts, bool running, bool start_works) {
  return {.capture_running = [&counts, running] { ++counts.running_checks; return running; },
          .start = [&counts, start_works] { ++counts.starts; return start_works; },
          .connect = [&counts] { ++counts.connects; return true; },
          .disconnect = [&counts] { ++counts.disconnects; },
          .start_failed = [&counts] { ++counts.failures; }};
}

TEST(CaptureWatchdog, BoundedAndQuiet) {
  struct Case {
    const char* name;
    bool wanted;
    bool running;
    bool start_works;
    int starts;    ///< once the watchdog has settled
    int failures;  ///< message boxes
  };
  const Case cases[] = {
      // Nothing needs the capture: no check, no start.
      {"NotWanted", false, false, true, 0, 0},
      // The program is missing: three tries, one message.
      {"CannotStart", true, false, false, CaptureWatchdog::kMaxFailedStarts, 1},
      // Starts that never come up: three tries, no message (the start itself worked).
      {"NeverComesUp", true, false, true, CaptureWatchdog::kMaxFailedStarts, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Counts counts;
    CaptureWatchdog watchdog(Fake(counts, c.running, c.start_works), kQuick);
    WatchdogThread thread(watchdog);
    watchdog.SetWanted(c.wanted);
    ASSERT_TRUE(test::WaitUntil([&] { return watchdog.Sleeping() && counts.starts.load() == c.starts; }));
    const int checks = counts.running_checks.load();
    // Asleep for good: wanting it again (a new wish) is what wakes it.
    EXPECT_EQ(counts.starts.load(), c.starts);
    EXPECT_EQ(counts.failures.load(), c.failures);
    if (!c.wanted) {
      EXPECT_EQ(checks, 0);
    }
  }
}

TEST(CaptureWatchdog, ConnectsWhenWantedAndDisconnectsWhenNot) {
  Counts counts;
  CaptureWatchdog watchdog(Fake(counts, true, true), kQuick);
  WatchdogThread thread(watchdog);
  watchdog.SetWanted(true);
  ASSERT_TRUE(test::WaitUntil([&] { return counts.connects.load() == 1; }));
  watchdog.SetWanted(false);
  ASSERT_TRUE(test::WaitUntil([&] { return counts.disconnects.load() == 1 && watchdog.Sleeping(); }));
  watchdog.SetWanted(true);
  ASSERT_TRUE(test::WaitUntil([&] { return counts.connects.load() == 2; }));
  EXPECT_EQ(counts.starts.load(), 0);  // it was running all along
}

TEST(CaptureWatchdog, WishBeforeTheFirstPassStillWaitsOutTheSettle) {
  // The wish is made before the thread runs, so its wake is still pending when the
  // first start settles; a process that needs most of the settle must not be started twice.
  std::atomic<bool> started{false};
  std::chrono::steady_clock::time_point up_at{};
  std::atomic<int> starts{0};
  std::atomic<int> connects{0};
  CaptureWatchdog watchdog(
      {.capture_running = [&] { return started.load() && std::chrono::steady_clock::now() >= up_at; },
       .start = [&] {
         up_at = std::chrono::steady_clock::now() + 150ms;
         started = true;
         ++starts;
         return true;
       },
       .connect = [&] { ++connects; return started.load() && std::chrono::steady_clock::now() >= up_at; },
       .disconnect = {},
       .start_failed = {}},
      {.pass_ms = 5, .settle_ms = 400});
  watchdog.SetWanted(true);
  WatchdogThread thread(watchdog);
  ASSERT_TRUE(test::WaitUntil([&] { return connects.load() >= 1 && watchdog.Connects() == 1; }, 10s));
  EXPECT_EQ(starts.load(), 1);
}

}  // namespace
}  // namespace zt640
