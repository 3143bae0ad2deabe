#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/hid/pollable_event.h"
#include "platform/sync/event.h"
#include "shell/slot_table.h"
#include "transport/hid_device.h"

namespace zt640 {

/// The discovery loop of worker slot 0: a pass claims the listed interfaces
/// that appeared and frees the claimed ones that went away, telling the main
/// window about each through the sink. A pass runs at start, whenever the
/// system says a hidraw node came or went (udev, or inotify under a simulator's
/// root), and when asked through the wake event (after a resume). Without such
/// events passes run every 100 ms. An interface that should be claimed but did
/// not open (its node not set up yet) is tried again after 5 ms, then at doubling
/// delays up to 1280 ms; after that only the next event tries it again.
class DiscoveryThread {
 public:
  static constexpr int kPeriodMs = 100;
  static constexpr int kFirstRetryMs = 5;
  static constexpr int kLastRetryMs = 1280;
  enum class Trigger { kEvents, kTimer };

  /// How the loop reaches the main window. `device_added` and `device_removed`
  /// are blocking sends (they return once the window handled the slot);
  /// `first_pass_done` is a post. Absent members are skipped.
  struct Sink {
    std::function<void(std::size_t slot)> device_added;
    std::function<void(std::size_t slot)> device_removed;
    std::function<void()> first_pass_done;
  };

  DiscoveryThread(SlotTable& table, Sink sink);

  /// One pass: claim new interfaces while some slot is free, then check every
  /// claimed slot. False when the interfaces could not be listed (the loop ends).
  [[nodiscard]] bool RunPass();

  /// Passes until `stop` is set or a pass fails. Setting `wake` (may be null)
  /// asks for a pass at once.
  void Run(const platform::Event& stop, std::shared_ptr<platform::PollableEvent> wake = nullptr);

  /// The folder whose hidraw nodes the event source watches; by default the HID
  /// root at the start of Run. One that cannot be watched leaves the loop on its timer.
  void SetWatchedRoot(std::string root) { watched_root_ = std::move(root); }
  /// What starts the passes, known once Run has opened (or failed to open) its
  /// event source; read from other threads.
  [[nodiscard]] std::optional<Trigger> CurrentTrigger() const;

  /// Whether the interface at `path` is still there, read from sysfs without
  /// opening the device node, so the check never disturbs a device in use.
  [[nodiscard]] static bool InterfacePresent(const std::string& path);

 private:
  void ClaimNewInterfaces();
  void CheckClaimedSlots();

  SlotTable& slots_;
  Sink sink_;
  HidDevice probe_;  ///< one enumerator and probe for the whole loop
  bool first_pass_ = true;
  /// A listed interface that should be claimed did not open in the last pass.
  bool retry_pending_ = false;
  std::optional<std::string> watched_root_;
  std::atomic<int> trigger_{-1};  ///< -1 until Run decided, else a Trigger
};

}  // namespace zt640
