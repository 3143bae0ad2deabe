#pragma once

#include <memory>
#include <string>

#include "platform/input/input_device.h"
#include "platform/ipc/unique_fd.h"

struct libevdev;

namespace zt640::platform::input {

/// An evdev character device read through libevdev. Its clock is the monotonic one,
/// so event times are tick counts.
class EvdevInputDevice final : public InputDevice {
 public:
  /// Takes an fd opened non-blocking and close-on-exec; null when it is no evdev node.
  [[nodiscard]] static std::unique_ptr<EvdevInputDevice> FromFd(UniqueFd fd, std::string* error);
  ~EvdevInputDevice() override;

  [[nodiscard]] int Fd() const override { return fd_.get(); }
  [[nodiscard]] const std::string& Name() const override { return name_; }
  [[nodiscard]] bool IsKeyboard() const override { return keyboard_; }
  [[nodiscard]] bool IsMouse() const override { return mouse_; }
  [[nodiscard]] bool SetGrab(bool grab) override;
  [[nodiscard]] InputReadStatus Read(input_event* event, std::uint32_t* time_ms) override;

 private:
  EvdevInputDevice(UniqueFd fd, libevdev* device);

  UniqueFd fd_;  ///< closed after the libevdev handle is freed
  libevdev* device_ = nullptr;
  std::string name_;
  bool keyboard_ = false;
  bool mouse_ = false;
  bool grabbed_ = false;
  bool syncing_ = false;  ///< reading the state the kernel resent after dropping events
};

}  // namespace zt640::platform::input
