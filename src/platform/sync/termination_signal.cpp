#include "platform/sync/termination_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <mutex>

namespace zt640::platform {

namespace {
std::atomic<int> g_write_fd{-1};
int g_read_fd = -1;

void OnSignal(int signal_number) {
  const int fd = g_write_fd.load();
  if (fd < 0) return;
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}
}  // namespace

int TerminationSignal::Install() {
  static std::once_flag once;
  std::call_once(once, [] {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_read_fd = fds[0];
    g_write_fd.store(fds[1]);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
  });
  return g_read_fd;
}

int TerminationSignal::TakePending() {
  if (g_read_fd < 0) return 0;
  int last = 0;
  unsigned char byte = 0;
  while (::read(g_read_fd, &byte, 1) == 1) last = byte;
  return last;
}

}  // namespace zt640::platform
