#pragma once

#include <functional>
#include <optional>

#include "platform/sync/worker_slots.h"
#include "shell/device_selector.h"
#include "catalogue/interface_catalogue.h"

namespace zt640 {

/// What the subsystems started by the main window's "windowinit" give it. Each member
/// is optional; an absent one is simply not started.
struct MainWndPlugins {
  /// Copies the interface catalogue into the slot table and creates the first device
  /// objects, before any worker runs.
  std::function<void()> create_devices;
  /// Worker bodies for slot 0 (discovery loop), 1 (capture-process watchdog) and
  /// 8 (lighting synchronisation). Each polls its stop event.
  platform::WorkerSlots::Body discovery;
  platform::WorkerSlots::Body capture_watchdog;
  platform::WorkerSlots::Body light_sync;
  /// Starts, re-scales and stops the audio capture process.
  std::function<void()> start_capture_process;
  std::function<void()> notify_capture_scale;
  std::function<void()> stop_capture_process;
  /// Loads the audio-reactive lighting settings.
  std::function<void()> load_audio_styles;
  /// Run audio-reactive lighting: the capture process's watchdog (unless
  /// `capture_watchdog` is given), its blocks, the music styles of the user data root.
  bool audio_capture = false;
  /// Counts the visible device selector entries (0 when absent: no device is known).
  std::function<int()> visible_device_count;
  /// The device catalogue. When set, "windowinit" copies it into the slot table,
  /// creates the mouse and keyboard device objects with `device_factory` and, unless
  /// `discovery` is given, runs the discovery loop over that table in slot 0.
  std::optional<InterfaceCatalogue> catalogue;
  DeviceSelector::DeviceFactory device_factory;
  /// Follow the system's suspend and resume (logind, else the clock watch).
  bool watch_power = false;
  /// Ask the update service once a day, shortly after start-up.
  bool check_updates = false;
};

}  // namespace zt640
