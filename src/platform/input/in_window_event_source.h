#pragma once

#include "platform/input/hook_event_sink.h"

namespace zt640::platform::input {

/// The program's own window as a source of key and mouse button events, for when the
/// input devices cannot be read. Implemented by the user interface (which owns the
/// window's events) and registered with `CDeviceHook::SetInWindowSource`. Called on the
/// window's thread; events are handed to the sink on that thread too.
class InWindowEventSource {
 public:
  virtual ~InWindowEventSource() = default;
  /// Starts handing the window's key events (when `keyboard`) and mouse button events
  /// (when `mouse`) to `sink`. Keys the sink swallows do not reach the window's controls.
  virtual void Attach(HookEventSink* sink, bool keyboard, bool mouse) = 0;
  virtual void Detach() = 0;
};

}  // namespace zt640::platform::input
