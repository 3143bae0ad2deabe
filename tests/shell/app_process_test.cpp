#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devsim/devsim_server.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "support/wait_until.h"

namespace zt640 {
namespace {

#ifdef ZT640_APP_PATH
using Clock = std::chrono::steady_clock;

/// Runs the utility as a child process with its own runtime folder and offscreen output.
class AppProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zt640-app-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

  pid_t Start(const std::string& program, const std::string& log, std::vector<std::string> extra_env = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::setenv("ZT640_DEBUG", "1", 1);
      ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
      for (const std::string& entry : extra_env) ::putenv(const_cast<char*>(entry.c_str()));
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      ::execl(program.c_str(), program.c_str(), nullptr);
      ::_exit(127);
    }
    return pid;
  }

  static int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
    int status = 0;
    if (test::WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, limit)) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string folder_;
};

TEST_F(AppProcessTest, SecondInstanceExitsAtOnceAndActivatesTheFirst) {
  const pid_t first = Start(ZT640_APP_PATH, folder_ + "/first.log");
  const platform::IpcClient client(folder_ + "/zt640");
  ASSERT_TRUE(test::WaitUntil([&] { return client.FindWindow("MainWnd", platform::kProductTitle).has_value(); },
                              std::chrono::seconds(20)))
      << ReadAll(folder_ + "/first.log");

  const auto started = Clock::now();
  const pid_t second = Start(ZT640_APP_PATH, folder_ + "/second.log");
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  // A second start only signals the first; instrumented builds start several times slower.
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(ZT640_SANITIZED_BUILD ? 5 : 1));

  EXPECT_TRUE(test::WaitUntil([&] {
    return ReadAll(folder_ + "/first.log").find("activation message (wParam 0, lParam 1)") != std::string::npos;
  })) << ReadAll(folder_ + "/first.log");

  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first, std::chrono::seconds(10)), 0);
  EXPECT_NE(ReadAll(folder_ + "/first.log").find("shutting down"), std::string::npos);
  EXPECT_FALSE(client.FindWindow("MainWnd", platform::kProductTitle));
}

struct SilentCase {
  const char* name;
  bool via_receiver;
  devsim::FaultKind fault;
};

class AppProcessSlowDeviceTest : public AppProcessTest, public testing::WithParamInterface<SilentCase> {};

/// While the keyboard (on its cable or behind the receiver) answers late or not at
/// all, the window answers other programs at once and SIGTERM ends it quickly.
TEST_P(AppProcessSlowDeviceTest, WindowAnswersAndTerminatesWhileAnExchangeWaits) {
  devsim::DevsimConfig config;
  config.root = folder_ + "/hid";
  config.with_receiver = GetParam().via_receiver;
  config.keyboard_plugged = !GetParam().via_receiver;
  config.fault.kind = GetParam().fault;
  config.fault.late_ms = 3000;
  devsim::DevsimServer server(config);
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  const std::string data_root = folder_ + "/data/" + std::string(platform::kProductTitle);
  ASSERT_EQ(std::system(("mkdir -p '" + data_root + "'").c_str()), 0);
  std::ofstream(data_root + "/devices.json")
      << R"({"Interfaces":[{"Row":2,"VendorId":"0x320F","ProductId":"0x5089"},)"
      << R"({"Row":3,"VendorId":"0x320F","ProductId":"0x5089"}]})";

  const std::string log = folder_ + "/app.log";
  const std::string hid_root = "ZT640_HID_ROOT=" + folder_ + "/hid";
  const std::string data_home = "XDG_DATA_HOME=" + folder_ + "/data";
  const pid_t app = Start(ZT640_APP_PATH, log, {hid_root, data_home});
  const platform::IpcClient client(folder_ + "/zt640");
  std::optional<platform::WindowAddress> window;
  ASSERT_TRUE(test::WaitUntil([&] { return (window = client.FindWindow("MainWnd", platform::kProductTitle)).has_value(); },
                              std::chrono::seconds(20)))
      << ReadAll(log);
  // The first exchange with the keyboard is under way once its request is dumped.
  ASSERT_TRUE(test::WaitUntil([&] { return ReadAll(log).find("命令") != std::string::npos; }, std::chrono::seconds(20)))
      << ReadAll(log);

  Clock::duration worst{};
  for (int i = 0; i < 20; ++i) {
    platform::WindowMessage trace;
    trace.message = 1224;
    const auto sent = Clock::now();
    const platform::IpcSendOutcome outcome = client.SendMessage(*window, trace, 2000);
    worst = std::max(worst, Clock::now() - sent);
    EXPECT_EQ(outcome.status, platform::IpcStatus::kOk);
    // Spreads the probes over the device's wait: the pace, not a wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::printf("%s: slowest answer %lld ms\n", GetParam().name,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(worst).count()));
  EXPECT_LT(worst, std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 500 : 200));

  const auto terminated = Clock::now();
  ::kill(app, SIGTERM);
  EXPECT_EQ(WaitExit(app, std::chrono::seconds(10)), 0);
  const auto took = Clock::now() - terminated;
  std::printf("%s: SIGTERM to exit %lld ms\n", GetParam().name,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  EXPECT_LT(took, std::chrono::seconds(ZT640_SANITIZED_BUILD ? 4 : 2)) << ReadAll(log);
  server.Stop();
}

INSTANTIATE_TEST_SUITE_P(Faults, AppProcessSlowDeviceTest,
                         testing::Values(SilentCase{"CableSilent", false, devsim::FaultKind::kSilent},
                                         SilentCase{"CableLate", false, devsim::FaultKind::kLate},
                                         SilentCase{"ReceiverSilent", true, devsim::FaultKind::kSilent},
                                         SilentCase{"ReceiverLate", true, devsim::FaultKind::kLate}),
                         [](const testing::TestParamInfo<SilentCase>& info) { return info.param.name; });

TEST_F(AppProcessTest, MissingFontFolderStartsNormallyAndMissingSkinExitsZeroWithOneLine) {
  const std::string app = std::string(ZT640_APP_PATH);
  const std::string build = app.substr(0, app.rfind('/'));
  ASSERT_EQ(std::system(("mkdir -p '" + folder_ + "/nofont' '" + folder_ + "/noskin' && cp '" + app + "' '" + folder_ +
                         "/nofont/' && cp '" + app + "' '" + folder_ + "/noskin/' && cp -r '" + build + "/skin' '" +
                         build + "/DefaultData' '" + folder_ + "/nofont/'")
                            .c_str()),
            0);
  const pid_t nofont =
      Start(folder_ + "/nofont/zt640", folder_ + "/nofont.log", {"ZT640_STARTUP_REPORT=1"});
  EXPECT_EQ(WaitExit(nofont, std::chrono::seconds(20)), 0);
  EXPECT_NE(ReadAll(folder_ + "/nofont.log").find("shown_ms="), std::string::npos) << ReadAll(folder_ + "/nofont.log");

  const pid_t noskin = Start(folder_ + "/noskin/zt640", folder_ + "/noskin.log");
  EXPECT_EQ(WaitExit(noskin, std::chrono::seconds(20)), 0);
  EXPECT_NE(ReadAll(folder_ + "/noskin.log").find("zt640: cannot start: resource index"), std::string::npos);
}
#endif

}  // namespace
}  // namespace zt640
