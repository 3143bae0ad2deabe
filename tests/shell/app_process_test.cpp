#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"

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
    const auto give_up = Clock::now() + limit;
    int status = 0;
    while (Clock::now() < give_up) {
      if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
  const auto give_up = Clock::now() + std::chrono::seconds(20);
  while (!client.FindWindow("MainWnd", platform::kProductTitle) && Clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(client.FindWindow("MainWnd", platform::kProductTitle)) << ReadAll(folder_ + "/first.log");

  const auto started = Clock::now();
  const pid_t second = Start(ZT640_APP_PATH, folder_ + "/second.log");
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  // A second start only signals the first; instrumented builds start several times slower.
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(ZT640_SANITIZED_BUILD ? 5 : 1));

  const auto wait_log = Clock::now() + std::chrono::seconds(5);
  while (ReadAll(folder_ + "/first.log").find("activation message (wParam 0, lParam 1)") == std::string::npos &&
         Clock::now() < wait_log) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(ReadAll(folder_ + "/first.log").find("activation message (wParam 0, lParam 1)"), std::string::npos);

  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first, std::chrono::seconds(10)), 0);
  EXPECT_NE(ReadAll(folder_ + "/first.log").find("shutting down"), std::string::npos);
  EXPECT_FALSE(client.FindWindow("MainWnd", platform::kProductTitle));
}

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
