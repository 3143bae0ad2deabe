#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/input/input_device.h"
#include "platform/ipc/unique_fd.h"

namespace zt640::platform::input {

/// A recorded stream of raw `input_event` records read from a pipe, FIFO or file, in
/// place of an evdev node: how tests and the command line feed the hook a known
/// sequence. It counts as keyboard and mouse. Event times are moved so the first event
/// happens when it is read, keeping the intervals of the recording. End of the stream
/// is the device vanishing. A grab only records that it was asked for.
class RecordedInputDevice final : public InputDevice {
 public:
  RecordedInputDevice(UniqueFd fd, std::string name);

  [[nodiscard]] int Fd() const override { return fd_.get(); }
  [[nodiscard]] const std::string& Name() const override { return name_; }
  [[nodiscard]] bool IsKeyboard() const override { return true; }
  [[nodiscard]] bool IsMouse() const override { return true; }
  [[nodiscard]] bool SetGrab(bool grab) override;
  [[nodiscard]] InputReadStatus Read(input_event* event, std::uint32_t* time_ms) override;
  [[nodiscard]] bool IsGrabbed() const { return grabbed_; }

 private:
  UniqueFd fd_;
  std::string name_;
  std::vector<unsigned char> pending_;  ///< bytes of an event not read whole yet
  bool grabbed_ = false;
  bool have_base_ = false;
  std::uint64_t first_event_us_ = 0;
  std::uint32_t first_event_tick_ = 0;
};

}  // namespace zt640::platform::input
