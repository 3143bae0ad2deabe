#pragma once

#include <functional>
#include <string>

#include "platform/input/hook_event_sink.h"

namespace zt640::platform::input {

/// How `End` keeps the hook's window alive while a back end thread is blocked in a
/// send to it: `wake_fd` polls readable when messages wait and `dispatch` runs them.
/// Empty when `End` is not called on the window's thread.
struct StopPump {
  int wake_fd = -1;
  std::function<void()> dispatch;
};

/// One way of capturing keyboard and mouse events for `CDeviceHook`.
class HookBackend {
 public:
  virtual ~HookBackend() = default;
  /// Starts delivering events to `sink` (which outlives the run); false when this back
  /// end cannot capture what was asked for (`error` then says why).
  [[nodiscard]] virtual bool Begin(HookEventSink* sink, bool keyboard, bool mouse, std::string* error) = 0;
  /// Stops delivering; afterwards `sink` is never called again and every device this
  /// back end took is given back. Idempotent.
  virtual void End(const StopPump& pump) = 0;
  /// True when the back end sees the whole desktop, false when only the program's window.
  [[nodiscard]] virtual bool IsSystemWide() const = 0;
};

}  // namespace zt640::platform::input
