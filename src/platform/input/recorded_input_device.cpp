#include "platform/input/recorded_input_device.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sync/tick_count.h"

namespace zt640::platform::input {

RecordedInputDevice::RecordedInputDevice(UniqueFd fd, std::string name) : fd_(std::move(fd)), name_(std::move(name)) {}

bool RecordedInputDevice::SetGrab(bool grab) {
  grabbed_ = grab;
  return true;
}

InputReadStatus RecordedInputDevice::Read(input_event* event, std::uint32_t* time_ms) {
  while (pending_.size() < sizeof(input_event)) {
    unsigned char buffer[sizeof(input_event)];
    const ssize_t got = ::read(fd_.get(), buffer, sizeof(input_event) - pending_.size());
    if (got > 0) {
      pending_.insert(pending_.end(), buffer, buffer + got);
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return InputReadStatus::kAgain;
    return InputReadStatus::kGone;  // end of the stream, or a read error
  }
  std::memcpy(event, pending_.data(), sizeof(input_event));
  pending_.clear();
  const std::uint64_t event_us = static_cast<std::uint64_t>(event->input_event_sec) * 1000000u +
                                 static_cast<std::uint64_t>(event->input_event_usec);
  if (!have_base_) {
    have_base_ = true;
    first_event_us_ = event_us;
    first_event_tick_ = GetTickCount();
  }
  const std::uint64_t since_first_us = event_us >= first_event_us_ ? event_us - first_event_us_ : 0;
  *time_ms = first_event_tick_ + static_cast<std::uint32_t>(since_first_us / 1000u);
  return InputReadStatus::kEvent;
}

}  // namespace zt640::platform::input
