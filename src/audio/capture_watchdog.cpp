#include "audio/capture_watchdog.h"

#include <chrono>
#include <utility>

#include "platform/diag/debug_output.h"

namespace zt640 {

namespace {
constexpr std::int64_t kWaitForEver = -1;
}

CaptureWatchdog::CaptureWatchdog(Actions actions) : CaptureWatchdog(std::move(actions), Timing{}) {}

CaptureWatchdog::CaptureWatchdog(Actions actions, Timing timing) : actions_(std::move(actions)), timing_(timing) {}

void CaptureWatchdog::SetWanted(bool wanted) {
  if (wanted_.exchange(wanted) != wanted) wake_.Set();
}

void CaptureWatchdog::Sleep() {
  sleeping_ = true;
  (void)wake_.Wait(kWaitForEver);  // woken by SetWanted or the stop event
  sleeping_ = false;
}

bool CaptureWatchdog::Settle(const platform::Event& stop) {
  // Only the stop or a withdrawn wish cut the settle short: a wake left over from the
  // wish that caused this start would otherwise end it at once and count a slow
  // process as failed.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timing_.settle_ms);
  while (!stop.IsSet() && wanted_.load()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    (void)wake_.Wait(left);
  }
  return false;
}

void CaptureWatchdog::Run(const platform::Event& stop) {
  const platform::Event::WakerLink stop_wakes = stop.LinkWaker([this] { wake_.Set(); });
  bool connected = false;
  bool was_wanted = false;
  bool reported = false;
  int failed_starts = 0;
  while (!stop.IsSet()) {
    if (!wanted_.load()) {
      if (connected && actions_.disconnect) actions_.disconnect();
      connected = false;
      was_wanted = false;
      Sleep();  // until wanted again or stopped
      continue;
    }
    if (!was_wanted) {
      was_wanted = true;
      reported = false;
      failed_starts = 0;
    }
    if (actions_.capture_running && actions_.capture_running()) {
      failed_starts = 0;
      if (!connected && actions_.connect && actions_.connect()) {
        connected = true;
        ++connects_;
      }
    } else if (failed_starts < kMaxFailedStarts) {
      // A start that does not leave a running process at the next check counts as failed.
      ++failed_starts;
      ++starts_;
      connected = false;
      if (actions_.start && actions_.start()) {
        if (!Settle(stop)) continue;
        if (actions_.connect && actions_.connect()) {
          connected = true;
          ++connects_;
        }
      } else if (!reported) {
        reported = true;
        if (actions_.start_failed) actions_.start_failed();
      }
    }
    if (failed_starts >= kMaxFailedStarts && !(actions_.capture_running && actions_.capture_running())) {
      platform::DebugOutput("capture process does not stay up; not started again until the capture is wanted anew");
      Sleep();
      // Woken by a change of the wish or the stop: a new wish starts afresh.
      was_wanted = false;
      continue;
    }
    (void)wake_.Wait(timing_.pass_ms);
  }
  platform::DebugOutput("AudioDaemonThreadPrc stop");
}

}  // namespace zt640
