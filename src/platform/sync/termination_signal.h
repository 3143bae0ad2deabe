#pragma once

namespace zt640::platform {

/// Turns SIGTERM and SIGINT into a readable byte on a pipe (the self-pipe pattern), so
/// an event loop can run its orderly shut-down instead of dying inside a signal handler.
class TerminationSignal {
 public:
  /// Installs the handlers once per process; returns the pipe's read end (non-blocking,
  /// close-on-exec) or -1 when the pipe cannot be made.
  [[nodiscard]] static int Install();

  /// Drains the pipe; returns the last signal number read, or 0 when none was pending.
  [[nodiscard]] static int TakePending();
};

}  // namespace zt640::platform
