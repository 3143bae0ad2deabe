#pragma once

#include <memory>
#include <string>

#include "platform/hid/pollable_event.h"
#include "platform/ipc/unique_fd.h"

struct udev;
struct udev_monitor;

namespace zt640::platform {

/// Tells when hidraw nodes come or go, so discovery runs a pass only then.
/// Under the system root it is udev's monitor of the "hidraw" subsystem (events
/// arrive once udev has set the node up, access rights included); under any
/// other root (the simulator's) it is an inotify watch of the root's
/// "sys/class/hidraw" and "dev" folders. Neither may be available: then
/// `source()` is kNone and the caller keeps its timer.
class HidrawMonitor {
 public:
  enum class Source { kNone, kUdev, kInotify };
  enum class WaitResult { kChanged, kWoken, kTimedOut, kFailed };

  /// Opens the event source for `root` (as HidRoot() gives it).
  explicit HidrawMonitor(const std::string& root);
  ~HidrawMonitor() = default;
  HidrawMonitor(const HidrawMonitor&) = delete;
  HidrawMonitor& operator=(const HidrawMonitor&) = delete;

  [[nodiscard]] Source source() const { return source_; }

  /// Blocks until a node comes or goes (kChanged, every pending event read),
  /// `wake` is set (kWoken; the event is left set for the caller to reset), or
  /// `timeout_ms` passes (negative: no time-out). kFailed when the source
  /// broke or there is none; the caller then falls back to its timer.
  [[nodiscard]] WaitResult Wait(const PollableEvent& wake, int timeout_ms);

 private:
  struct UdevDeleter {
    void operator()(udev* context) const;
  };
  struct MonitorDeleter {
    void operator()(udev_monitor* monitor) const;
  };

  bool OpenUdev();
  bool OpenInotify(const std::string& root);
  /// Reads every pending event; false when the source failed.
  bool Drain();

  Source source_ = Source::kNone;
  std::unique_ptr<udev, UdevDeleter> udev_;
  std::unique_ptr<udev_monitor, MonitorDeleter> monitor_;
  UniqueFd inotify_;
};

}  // namespace zt640::platform
