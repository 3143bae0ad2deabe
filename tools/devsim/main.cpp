// zt640-devsim: runs the simulated devices in the foreground until SIGTERM or
// SIGINT (or "quit" on standard input), then removes everything it wrote.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "devsim/console_command.h"
#include "devsim/devices_json_file.h"
#include "devsim/devsim_options.h"
#include "devsim/devsim_server.h"
#include "devsim/unique_fd.h"

namespace {

using zt640::devsim::ConsoleCommand;
using zt640::devsim::DevicesJsonFile;
using zt640::devsim::DevsimOptions;
using zt640::devsim::DevsimServer;
using zt640::devsim::UniqueFd;

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// Runs each complete line of input as a command; returns false on "quit".
bool RunLines(std::string& pending, DevsimServer& server) {
  for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
    const std::string line = pending.substr(0, end);
    pending.erase(0, end + 1);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::string error;
    const auto command = ConsoleCommand::Parse(line, &error);
    if (!command) {
      PrintLine("error: " + line + ": " + error);
      continue;
    }
    PrintLine(command->Apply(server).message);
    if (command->kind() == ConsoleCommand::Kind::kQuit) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const DevsimOptions::Result options = DevsimOptions::Parse(args);
  if (options.help) {
    std::fputs(DevsimOptions::Usage().c_str(), stdout);
    return 0;
  }
  if (!options.config) {
    std::fprintf(stderr, "zt640-devsim: %s\n%s", options.error.c_str(),
                 DevsimOptions::Usage().c_str());
    return 2;
  }

  // Signals are taken through a signalfd on this thread; the server's thread
  // inherits the blocked mask and never sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  const UniqueFd signal_fd(::signalfd(-1, &signals, SFD_CLOEXEC));
  if (!signal_fd.Valid()) {
    std::perror("zt640-devsim: signalfd");
    return 1;
  }

  DevsimServer server(*options.config);
  std::string error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "zt640-devsim: %s\n", error.c_str());
    return 1;
  }
  if (!options.config->devices_json.empty() &&
      !DevicesJsonFile::Write(options.config->devices_json, *options.config, &error)) {
    std::fprintf(stderr, "zt640-devsim: %s\n", error.c_str());
    server.Stop();
    return 1;
  }
  PrintLine("ready " + server.Root().string());

  // End of input is not a reason to stop: the simulator keeps running until
  // it is signalled, so it can be started with its input closed.
  bool reading_input = true;
  std::string pending;
  while (true) {
    pollfd fds[2] = {{signal_fd.Get(), POLLIN, 0}, {reading_input ? 0 : -1, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0) break;
    if (fds[1].revents != 0) {
      char buffer[1024];
      const ssize_t n = ::read(0, buffer, sizeof(buffer));
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        reading_input = false;
        continue;
      }
      pending.append(buffer, static_cast<size_t>(n));
      if (!RunLines(pending, server)) break;
    }
  }
  server.Stop();
  return 0;
}
