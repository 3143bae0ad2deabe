#pragma once

#include <cstdint>

#include "platform/input/hook_records.h"

namespace zt640 {

/// The keyboard and mouse hook as the panels and the main window use it: started in
/// one mode at a time, it delivers each event to the main window as the registered
/// message of that mode (keyboard and mouse message names of hook_records.h),
/// synchronously on the UI thread, until Stop.
class HookControl {
 public:
  /// Results of Start.
  static constexpr int kStarted = 1;
  static constexpr int kNotStarted = 0;

  virtual ~HookControl() = default;
  /// Stops a hook that still runs, then starts in `mode` with the keyboard and/or
  /// mouse side; kStarted on success, kNotStarted when the hook could not be started.
  [[nodiscard]] virtual int Start(platform::input::HookMode mode, bool keyboard, bool mouse) = 0;
  /// Stops both sides; harmless when nothing runs.
  virtual void Stop() = 0;
  /// True when the hook sees every keyboard and mouse; false when it only sees the
  /// events of this program's own window.
  [[nodiscard]] virtual bool IsSystemWide() const = 0;
  /// True only while the hook is sending the event whose record `lparam` points to.
  /// Hook messages are registered names that any local process may send, with any
  /// parameter: a record pointer is only followed when the hook vouches for it.
  [[nodiscard]] virtual bool IsDelivering(std::int64_t lparam) const = 0;
};

}  // namespace zt640
