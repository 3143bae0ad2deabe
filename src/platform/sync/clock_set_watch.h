#pragma once

namespace zt640::platform {

/// A descriptor that becomes readable when the wall clock is set or the system
/// resumes from a suspend (the kernel treats a resume as a clock set). It lets a
/// program learn of a resume without waking up periodically to compare clocks.
class ClockSetWatch {
 public:
  ClockSetWatch();
  ~ClockSetWatch();
  ClockSetWatch(const ClockSetWatch&) = delete;
  ClockSetWatch& operator=(const ClockSetWatch&) = delete;

  /// -1 when the kernel offers no such timer; the caller then has to poll.
  [[nodiscard]] int fd() const { return fd_; }
  /// Called when `fd` is readable: true when the clock was set or the system
  /// resumed since the last call. Re-arms the watch either way; never blocks.
  bool Consume();

 private:
  bool Arm();
  int fd_ = -1;
};

}  // namespace zt640::platform
