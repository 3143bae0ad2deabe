#pragma once

namespace zt640::platform {

/// An event backed by an eventfd, so a thread can wait on it in poll()
/// together with a device descriptor. It stays set until Reset(), so every
/// waiter sees it; Set() and Reset() may be called from any thread.
class PollableEvent {
 public:
  PollableEvent();
  ~PollableEvent();
  PollableEvent(const PollableEvent&) = delete;
  PollableEvent& operator=(const PollableEvent&) = delete;

  /// False when the eventfd could not be created (every wait then fails).
  [[nodiscard]] bool IsValid() const { return fd_ >= 0; }
  void Set();
  /// Clears the signal; true when it was set.
  bool Reset();
  /// Descriptor that polls readable while the event is set.
  [[nodiscard]] int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace zt640::platform
