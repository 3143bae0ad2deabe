// Runs the real zt640-devsim executable.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/interface_catalogue.h"
#include "packet_builder.h"
#include "profiles/devices_json.h"
#include "sim_client.h"
#include "temp_root.h"

extern char** environ;

namespace zt640::devsim {
namespace {

namespace fs = std::filesystem;

/// The simulator as a child process with pipes on its standard input and output.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    args.insert(args.begin(), ZT640_DEVSIM_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, ZT640_DEVSIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (stdin_ >= 0) ::close(stdin_);
    if (stdout_ >= 0) ::close(stdout_);
  }

  /// The next line of output, or nullopt after timeout_ms.
  std::optional<std::string> ReadLine(int timeout_ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (buffer_.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd fd{stdout_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
        return std::nullopt;
      }
      char chunk[256];
      const ssize_t n = ::read(stdout_, chunk, sizeof(chunk));
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
    const size_t end = buffer_.find('\n');
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    return line;
  }

  bool Write(const std::string& text) {
    return ::write(stdin_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  void CloseInput() {
    ::close(stdin_);
    stdin_ = -1;
  }
  bool Running() { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }

  /// Sends the signal and waits for the exit code (-1 when it did not end normally).
  int Terminate(int signal_number) {
    ::kill(pid_, signal_number);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string buffer_;
};

TEST(DevsimProcessTest, ReadyTreeCommandsAndCleanExitOnSigterm) {
  test::TempRoot temp;
  const fs::path root = temp.Path() / "root";
  SimProcess sim({"--root", root.string(), "--receiver"});
  ASSERT_EQ(sim.ReadLine(), "ready " + root.string());
  EXPECT_TRUE(fs::is_symlink(root / "sys/class/hidraw/hidraw1"));
  EXPECT_TRUE(fs::exists(root / "dev/hidraw3"));

  // Standard input closed: the simulator keeps running.
  sim.Write("slot 1\n");
  EXPECT_EQ(sim.ReadLine(), "ok slot 1");
  sim.Write("bogus\n");
  EXPECT_EQ(sim.ReadLine(), "error: bogus: unknown command");
  sim.Write("unplug\n");
  EXPECT_EQ(sim.ReadLine(), "ok unplug");
  EXPECT_FALSE(fs::exists(root / "dev/hidraw1"));
  sim.Write("plug\n");
  EXPECT_EQ(sim.ReadLine(), "ok plug");
  EXPECT_TRUE(fs::exists(root / "dev/hidraw1"));
  sim.CloseInput();
  // Nothing to wait for: the simulator must simply not exit within this window.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(sim.Running());

  test::SimClient client((root / "dev/hidraw1").string());
  ASSERT_TRUE(client.Send(test::Bytes(test::Request(0x1A, 6, 0))));
  const auto reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[8], 85);

  EXPECT_EQ(sim.Terminate(SIGTERM), 0);
  EXPECT_FALSE(fs::exists(root));
}

TEST(DevsimProcessTest, MouseAloneWritesDevicesJsonAndTakesMouseCommands) {
  test::TempRoot temp;
  const fs::path root = temp.Path() / "root";
  const fs::path json = temp.Path() / "devices.json";
  SimProcess sim({"--root", root.string(), "--mouse", "--mouse-receiver", "--devices-json",
                  json.string()});
  ASSERT_EQ(sim.ReadLine(), "ready " + root.string());
  std::ifstream in(json);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  InterfaceCatalogue catalogue;
  const auto applied = DevicesJson::ApplyText(text, catalogue);
  EXPECT_EQ(applied.rows_applied, 4u) << text;
  EXPECT_NE(catalogue.Rows()[4].product_id, catalogue.Rows()[6].product_id);

  for (const auto& [command, answer] : std::vector<std::pair<std::string, std::string>>{
           {"plug", "error: plug: device not simulated"},
           {"mouse stage 3", "ok mouse stage 3"},
           {"unplug mouse", "ok unplug mouse"},
           {"mouse sync", "ok mouse sync"},
           {"power off mouse", "ok power off mouse"},
           {"mouse react", "error: mouse react: mouse unreachable"},
       }) {
    sim.Write(command + "\n");
    EXPECT_EQ(sim.ReadLine(), answer);
  }
  sim.Write("quit\n");
  EXPECT_EQ(sim.ReadLine(), "ok quit");
  EXPECT_EQ(sim.Terminate(0), 0);
  EXPECT_FALSE(fs::exists(root));
  EXPECT_TRUE(fs::exists(json));
}

TEST(DevsimProcessTest, BadOptionExitsWithUsage) {
  SimProcess sim({"--root"});
  EXPECT_EQ(sim.Terminate(0), 2);
}

}  // namespace
}  // namespace zt640::devsim
