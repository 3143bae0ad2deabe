#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/sync/event.h"
#include "shell/slot_table.h"
#include "transport/hid_device.h"

namespace zt640 {

/// The discovery loop of worker slot 0: every 100 ms it claims the listed
/// interfaces that appeared and frees the claimed ones that went away, telling
/// the main window about each through the sink.
class DiscoveryThread {
 public:
  static constexpr int kPeriodMs = 100;

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

  /// Passes until `stop` is set or a pass fails.
  void Run(const platform::Event& stop);

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
};

}  // namespace zt640
