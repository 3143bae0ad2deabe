#pragma once

#include <string>

#include "platform/input/input_device.h"

namespace zt640::platform::input {

/// The input event nodes `<root>dev/input/event*`. The root comes from the environment
/// variable ZT640_INPUT_ROOT (default "/"), so tests can supply a folder of their own.
/// A character device is opened as an evdev node; a FIFO or a regular file is read as a
/// recorded event stream (`RecordedInputDevice`). Every node is opened non-blocking and
/// close-on-exec: a child process must never inherit a grabbed node, since the grab
/// lasts while any copy of the descriptor is open.
class InputNodeSource final : public InputDeviceSource {
 public:
  /// Uses ZT640_INPUT_ROOT.
  InputNodeSource();
  explicit InputNodeSource(std::string root);

  [[nodiscard]] std::vector<std::unique_ptr<InputDevice>> OpenAll(std::string* error) override;
  [[nodiscard]] std::string NodeFolder() const;

 private:
  std::string root_;  ///< ends with "/"
};

}  // namespace zt640::platform::input
