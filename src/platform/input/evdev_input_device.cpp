#include "platform/input/evdev_input_device.h"

#include <libevdev/libevdev.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace zt640::platform::input {

std::unique_ptr<EvdevInputDevice> EvdevInputDevice::FromFd(UniqueFd fd, std::string* error) {
  libevdev* device = nullptr;
  const int rc = libevdev_new_from_fd(fd.get(), &device);
  if (rc < 0) {
    if (error != nullptr) *error = std::strerror(-rc);
    return nullptr;
  }
  return std::unique_ptr<EvdevInputDevice>(new EvdevInputDevice(std::move(fd), device));
}

EvdevInputDevice::EvdevInputDevice(UniqueFd fd, libevdev* device) : fd_(std::move(fd)), device_(device) {
  const char* name = libevdev_get_name(device_);
  name_ = name != nullptr ? name : "";
  // A keyboard has letter keys; a mouse moves and has a left button. Power buttons,
  // lid switches and the like are neither and are never taken.
  keyboard_ = libevdev_has_event_code(device_, EV_KEY, KEY_A) && libevdev_has_event_code(device_, EV_KEY, KEY_SPACE);
  mouse_ = libevdev_has_event_code(device_, EV_REL, REL_X) && libevdev_has_event_code(device_, EV_KEY, BTN_LEFT);
  // Without the monotonic clock event times stay on the wall clock: intervals between
  // events still hold, only the delay before the first event is then off.
  (void)libevdev_set_clock_id(device_, CLOCK_MONOTONIC);
}

EvdevInputDevice::~EvdevInputDevice() {
  if (grabbed_) (void)libevdev_grab(device_, LIBEVDEV_UNGRAB);  // closing the fd releases it as well
  libevdev_free(device_);
}

bool EvdevInputDevice::SetGrab(bool grab) {
  if (libevdev_grab(device_, grab ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) < 0) return false;
  grabbed_ = grab;
  return true;
}

InputReadStatus EvdevInputDevice::Read(input_event* event, std::uint32_t* time_ms) {
  while (true) {
    const unsigned flags = syncing_ ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL;
    const int rc = libevdev_next_event(device_, flags, event);
    if (rc == -EAGAIN) {
      if (!syncing_) return InputReadStatus::kAgain;
      syncing_ = false;
      continue;
    }
    if (rc < 0) return InputReadStatus::kGone;
    if (rc == LIBEVDEV_READ_STATUS_SYNC) {
      // Events were dropped: the resent state is read and ignored, since presses
      // that were lost cannot be recorded in order.
      syncing_ = true;
      continue;
    }
    if (syncing_) continue;
    *time_ms = static_cast<std::uint32_t>(static_cast<std::uint64_t>(event->input_event_sec) * 1000u +
                                          static_cast<std::uint64_t>(event->input_event_usec) / 1000u);
    return InputReadStatus::kEvent;
  }
}

}  // namespace zt640::platform::input
