#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zt640::test {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs a command line through the shell, capturing stdout and stderr.
inline Outcome RunShell(const std::string& command) {
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
  /// Every logged request packet as its 64 bytes.
  std::vector<std::vector<uint8_t>> LoggedPackets() const {
    std::ifstream in(log_);
    std::vector<std::vector<uint8_t>> packets;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream bytes(line);
      std::vector<uint8_t> packet;
      unsigned value = 0;
      while (bytes >> std::hex >> value) packet.push_back(static_cast<uint8_t>(value));
      packets.push_back(std::move(packet));
    }
    return packets;
  }
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

}  // namespace zt640::test
