#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "catalogue/device_kind.h"
#include "devices/zone_colour.h"
#include "platform/sync/event.h"
#include "profiles/light_effect.h"

namespace zt640 {

class CKalvexUSBDevice;

/// The five effects every device kind can show, and each kind's mode number for them.
class CommonEffects {
 public:
  enum Effect : uint8_t { kBreathing = 0, kSteady = 1, kFlashing = 2, kColourCycle = 3, kOff = 4 };
  static constexpr int kCount = 5;

  /// The common effect of a device kind's mode; nothing when the mode has none.
  [[nodiscard]] static std::optional<Effect> FromMode(DeviceKind kind, uint8_t mode);
  /// The mode number of a common effect on a device kind; nothing for an unknown kind.
  [[nodiscard]] static std::optional<uint8_t> ModeFor(DeviceKind kind, Effect effect);
};

/// The effect "deng_same_mode" remembers for the synchronisation thread. Written on
/// the UI thread, read by the thread; every field is one byte on its own.
struct SharedSyncEffect {
  std::atomic<uint8_t> effect{CommonEffects::kSteady};
  std::atomic<uint8_t> brightness{4};
  std::atomic<uint8_t> speed{2};
  std::atomic<uint8_t> direction{0};
  std::atomic<uint8_t> multicolour{0};
  std::atomic<uint8_t> red{255};
  std::atomic<uint8_t> green{255};
  std::atomic<uint8_t> blue{255};

  void Remember(CommonEffects::Effect common, const LightEffect& from);
};

/// One synchronised effect, stepped by the synchronisation thread: each step gives
/// the colour and brightness every light of every synchronised device takes.
class LightSyncEngine {
 public:
  /// Step length in ticks for speed levels 0-4 (faster levels step sooner).
  [[nodiscard]] static int StepLength(uint8_t speed);

  /// Runs one step of `effect` at time `now_ms` (the flashing effect toggles by time).
  ZoneColour Step(const SharedSyncEffect& effect, uint64_t now_ms);

  [[nodiscard]] int RampPosition() const { return ramp_; }
  [[nodiscard]] int WheelPosition() const { return wheel_; }

 private:
  int ramp_ = 0;
  int wheel_ = 0;
  bool flash_on_ = false;
  uint64_t last_toggle_ms_ = 0;
  bool toggled_once_ = false;
};

/// The devices the synchronisation thread may drive. The UI thread adds each device
/// object once it exists (they live until every worker has stopped); the thread
/// takes a copy of the list on each pass.
class SyncDeviceList {
 public:
  /// Adds the device once and links its sync flag to `Changed`.
  void Add(CKalvexUSBDevice* device);
  [[nodiscard]] std::vector<CKalvexUSBDevice*> Snapshot() const;
  /// Set when a device is added or any listed device's sync flag changes.
  [[nodiscard]] platform::Event& Changed() const { return *changed_; }

 private:
  std::shared_ptr<platform::Event> changed_ = std::make_shared<platform::Event>(platform::Event::Mode::kAutoReset);
  mutable std::mutex mutex_;
  std::vector<CKalvexUSBDevice*> devices_;  ///< guarded by mutex_
};

/// The body of the lighting synchronisation thread: while any device has its
/// synchronisation flag set, steps the remembered effect and lights every light of
/// every synchronised device with it. With none flagged it sleeps until a flag
/// changes; with flagged devices whose channel is closed, it looks again once a
/// second. Ends when `stop` is signalled.
void RunLightSync(const platform::Event& stop, const SyncDeviceList& devices, const SharedSyncEffect& effect);

}  // namespace zt640
