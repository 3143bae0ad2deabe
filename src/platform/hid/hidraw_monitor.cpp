#include "platform/hid/hidraw_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/hid/hid_root.h"

namespace zt640::platform {

namespace {
/// Present while udev's daemon runs; without it the monitor would open and stay silent.
constexpr const char* kUdevControl = "/run/udev/control";
constexpr uint32_t kWatchedChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
}  // namespace

void HidrawMonitor::UdevDeleter::operator()(udev* context) const { udev_unref(context); }
void HidrawMonitor::MonitorDeleter::operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }

HidrawMonitor::HidrawMonitor(const std::string& root) {
  const bool system_root = root.find_first_not_of('/') == std::string::npos;
  if (system_root ? OpenUdev() : OpenInotify(root)) {
    source_ = system_root ? Source::kUdev : Source::kInotify;
  }
}

bool HidrawMonitor::OpenUdev() {
  if (::access(kUdevControl, F_OK) != 0) return false;
  udev_.reset(udev_new());
  if (!udev_) return false;
  monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
  if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_.get()) < 0) {
    monitor_.reset();
    udev_.reset();
    return false;
  }
  return true;
}

bool HidrawMonitor::OpenInotify(const std::string& root) {
  inotify_.Reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!inotify_.valid()) return false;
  // Both folders are needed: a node is complete only once its sysfs entry and its
  // device node exist, and its removal shows in either.
  for (const char* folder : {"/sys/class/hidraw", "/dev"}) {
    if (::inotify_add_watch(inotify_.get(), JoinHidRoot(root, folder).c_str(), kWatchedChanges) < 0) {
      inotify_.Reset();
      return false;
    }
  }
  return true;
}

HidrawMonitor::WaitResult HidrawMonitor::Wait(const PollableEvent& wake, int timeout_ms) {
  const int source_fd = monitor_ ? udev_monitor_get_fd(monitor_.get()) : inotify_.get();
  if (source_ == Source::kNone || source_fd < 0 || !wake.IsValid()) return WaitResult::kFailed;
  std::array<pollfd, 2> fds{{{wake.fd(), POLLIN, 0}, {source_fd, POLLIN, 0}}};
  int ready = 0;
  do {
    ready = ::poll(fds.data(), fds.size(), timeout_ms < 0 ? -1 : timeout_ms);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return WaitResult::kFailed;
  if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return WaitResult::kFailed;
  if ((fds[1].revents & POLLIN) != 0) return Drain() ? WaitResult::kChanged : WaitResult::kFailed;
  if ((fds[0].revents & POLLIN) != 0) return WaitResult::kWoken;
  return WaitResult::kTimedOut;
}

bool HidrawMonitor::Drain() {
  if (monitor_) {
    // Which node changed does not matter: the pass that follows looks at them all.
    while (udev_device* device = udev_monitor_receive_device(monitor_.get())) udev_device_unref(device);
    return true;
  }
  alignas(inotify_event) std::array<char, 4096> buffer{};
  for (;;) {
    const ssize_t n = ::read(inotify_.get(), buffer.data(), buffer.size());
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

}  // namespace zt640::platform
