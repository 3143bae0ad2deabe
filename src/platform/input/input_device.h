#pragma once

#include <linux/input.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zt640::platform::input {

enum class InputReadStatus {
  kEvent,  ///< one event was read
  kAgain,  ///< nothing more to read now
  kGone,   ///< the device vanished or can no longer be read
};

/// One opened input event node. Destruction releases a grab and closes the node.
class InputDevice {
 public:
  virtual ~InputDevice() = default;
  [[nodiscard]] virtual int Fd() const = 0;
  [[nodiscard]] virtual const std::string& Name() const = 0;
  [[nodiscard]] virtual bool IsKeyboard() const = 0;
  [[nodiscard]] virtual bool IsMouse() const = 0;
  /// Takes (true) or gives back (false) the device for this process alone.
  [[nodiscard]] virtual bool SetGrab(bool grab) = 0;
  /// Reads the next event without blocking; event times are tick counts in
  /// milliseconds (`time_ms`).
  [[nodiscard]] virtual InputReadStatus Read(input_event* event, std::uint32_t* time_ms) = 0;
};

/// Finds and opens the input devices a hook may read.
class InputDeviceSource {
 public:
  virtual ~InputDeviceSource() = default;
  /// Every device that could be opened; `error` says why none could, when none could.
  [[nodiscard]] virtual std::vector<std::unique_ptr<InputDevice>> OpenAll(std::string* error) = 0;
};

}  // namespace zt640::platform::input
