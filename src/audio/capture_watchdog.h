#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/sync/event.h"

namespace zt640 {

/// The capture process's watchdog, the body of the main window's worker slot 1. While
/// the capture is wanted (a keyboard shows an audio mode, or the music window is open)
/// it checks about once a second that the capture process runs, starts it again when
/// it does not, lets it settle and connects to it; when the capture stops being wanted
/// it disconnects and sleeps on its events without any timer. A process that will not
/// stay up is started at most kMaxFailedStarts times in a row; then the watchdog waits
/// until the capture is wanted anew.
class CaptureWatchdog {
 public:
  static constexpr int kMaxFailedStarts = 3;

  struct Timing {
    std::int64_t pass_ms = 1000;   ///< between two checks
    std::int64_t settle_ms = 500;  ///< from a start to the connect
  };

  /// What the watchdog does; every member is called on the watchdog's thread.
  struct Actions {
    std::function<bool()> capture_running;  ///< the capture process holds its lock
    std::function<bool()> start;            ///< starts the process; false when it could not
    std::function<bool()> connect;          ///< false when no capture window was found
    std::function<void()> disconnect;
    std::function<void()> start_failed;     ///< once each time the capture becomes wanted
  };

  explicit CaptureWatchdog(Actions actions);
  CaptureWatchdog(Actions actions, Timing timing);

  /// Whether the capture is wanted; wakes the watchdog when that changes. Any thread.
  void SetWanted(bool wanted);
  [[nodiscard]] bool Wanted() const { return wanted_.load(); }

  /// The thread body: runs until `stop` is set.
  void Run(const platform::Event& stop);

  /// Starts attempted since construction (tests and diagnostics).
  [[nodiscard]] int Starts() const { return starts_.load(); }
  /// Connects made since construction.
  [[nodiscard]] int Connects() const { return connects_.load(); }
  /// True while the watchdog waits with no time-out (nothing to check until the wish
  /// changes or it is stopped).
  [[nodiscard]] bool Sleeping() const { return sleeping_.load(); }

 private:
  void Sleep();
  /// Waits the settle time after a start; false when stopped or no longer wanted.
  bool Settle(const platform::Event& stop);

  Actions actions_;
  Timing timing_;
  std::atomic<bool> wanted_{false};
  std::atomic<int> starts_{0};
  std::atomic<int> connects_{0};
  std::atomic<bool> sleeping_{false};
  platform::Event wake_{platform::Event::Mode::kAutoReset};
};

}  // namespace zt640
