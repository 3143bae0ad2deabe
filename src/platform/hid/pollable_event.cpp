#include "platform/hid/pollable_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace zt640::platform {

PollableEvent::PollableEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PollableEvent::~PollableEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void PollableEvent::Set() {
  if (fd_ < 0) return;
  const uint64_t one = 1;
  // A full counter (EAGAIN) is still signalled, so the result needs no handling.
  [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

bool PollableEvent::Reset() {
  if (fd_ < 0) return false;
  uint64_t count = 0;
  return ::read(fd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count);
}

}  // namespace zt640::platform
