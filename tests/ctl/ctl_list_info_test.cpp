#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs a command line through the shell, capturing stdout and stderr.
Outcome RunShell(const std::string& command) {
  const std::string err_file = std::filesystem::temp_directory_path() /
                               ("zt640-ctl-err-" + std::to_string(getpid()));
  Outcome outcome;
  FILE* pipe = popen((command + " 2>" + err_file).c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
  const int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(err_file);
  outcome.err.assign(std::istreambuf_iterator<char>(err), {});
  std::filesystem::remove(err_file);
  return outcome;
}

/// The real simulator process under a temporary root, logging its requests.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(const std::vector<std::string>& extra = {}) {
    char templ[] = "/tmp/zt640-ctl-XXXXXX";
    root_ = mkdtemp(templ);
    log_ = root_ + ".log";
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(ready[1], STDOUT_FILENO);
      close(ready[0]);
      std::vector<std::string> words = {ZT640_DEVSIM_PATH, "--root", root_ + "/sim", "--log",
                                        log_};
      words.insert(words.end(), extra.begin(), extra.end());
      std::vector<char*> argv;
      for (auto& word : words) argv.push_back(word.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(ready[1]);
    char line[256] = {};
    const ssize_t n = read(ready[0], line, sizeof line - 1);  // "ready ..." once nodes exist
    close(ready[0]);
    started_ = n > 0 && std::string(line).rfind("ready", 0) == 0;
  }
  ~SimulatorProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(root_);
    std::filesystem::remove(log_);
  }

  bool started() const { return started_; }
  std::string root() const { return root_ + "/sim"; }
  std::vector<std::string> LoggedCommands() const {
    std::ifstream in(log_);
    std::vector<std::string> commands;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream bytes(line);
      std::string byte;
      for (int i = 0; i < 4 && bytes >> byte; ++i) {
        if (i == 3) commands.push_back(byte);
      }
    }
    return commands;
  }

 private:
  std::string root_;
  std::string log_;
  pid_t pid_ = -1;
  bool started_ = false;
};

std::string Ctl(const std::string& root, const std::string& words) {
  return std::string(ZT640_CTL_PATH) + " --root " + root + " " + words;
}

TEST(CtlList, PrintsEveryCollectionOfTheSimulatedKeyboard) {
  SimulatorProcess simulator;
  ASSERT_TRUE(simulator.started());
  const Outcome outcome = RunShell(Ctl(simulator.root(), "list"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("&mi_01&col04 vid=320f pid=505b mi=1 col=4 page=ff1c usage=0092 "
                             "in=64 out=64 feat=0\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("mi=1 col=3 page=000c usage=0001"), std::string::npos);
}

TEST(CtlInfo, ReadsRecordsWiredAndThroughTheReceiver) {
  SimulatorProcess simulator({"--receiver"});
  ASSERT_TRUE(simulator.started());
  Outcome outcome = RunShell(Ctl(simulator.root(), "info"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("key_count=", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find(" battery=85 charge=0\n"), std::string::npos) << outcome.out;
  EXPECT_EQ(simulator.LoggedCommands(), (std::vector<std::string>{"01", "03", "02", "1a"}));

  outcome = RunShell(Ctl(simulator.root(), "info --receiver"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto commands = simulator.LoggedCommands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(commands[4], "aa");  // the link check comes first through the receiver
}

TEST(CtlInfo, FailsWithOneLineWhenNothingAnswers) {
  SimulatorProcess simulator({"--receiver", "--keyboard-off"});
  ASSERT_TRUE(simulator.started());
  Outcome outcome = RunShell(Ctl(simulator.root(), "info --receiver"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("switched off"), std::string::npos) << outcome.err;

  outcome = RunShell(Ctl("/nonexistent-root", "info"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("no keyboard found"), std::string::npos) << outcome.err;

  SimulatorProcess refusing({"--fault", "status:ff", "--fault-command", "0x03"});
  ASSERT_TRUE(refusing.started());
  outcome = RunShell(Ctl(refusing.root(), "info"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("(0x03) failed (result -102)"), std::string::npos) << outcome.err;
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
}

}  // namespace
