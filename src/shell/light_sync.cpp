#include "shell/light_sync.h"

#include "devices/host_effects.h"
#include "devices/kalvex_usb_device.h"
#include "platform/diag/debug_output.h"
#include "platform/sync/event.h"
#include "platform/sync/tick_count.h"
#include "profiles/keyboard_light_mode.h"

namespace zt640 {

namespace {

struct KindModes {
  DeviceKind kind;
  std::array<uint8_t, CommonEffects::kCount> modes;  ///< breathing, steady, flashing, cycle, off
};

constexpr std::array<KindModes, 4> kKindModes = {{
    {DeviceKind::kKeyboard,
     {ModeIndex(KeyboardLightMode::kBreathing), ModeIndex(KeyboardLightMode::kStatic),
      ModeIndex(KeyboardLightMode::kBlink), ModeIndex(KeyboardLightMode::kSpectrum),
      ModeIndex(KeyboardLightMode::kOff)}},
    // The other kinds' mode codes, until their own mode lists are named.
    {DeviceKind::kMouse, {2, 3, 4, 1, 9}},
    {DeviceKind::kMousePad, {2, 3, 4, 1, 8}},
    {DeviceKind::kHeadset, {2, 3, 4, 1, 8}},
}};

const KindModes* FindKind(DeviceKind kind) {
  for (const KindModes& row : kKindModes) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

constexpr std::array<int, 5> kStepLengths = {28, 23, 18, 13, 7};
constexpr int kNoDevicePauseMs = 1000;

ZoneColour WithBrightness(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness) {
  return ZoneColour{red, green, blue, brightness};
}

}  // namespace

std::optional<CommonEffects::Effect> CommonEffects::FromMode(DeviceKind kind, uint8_t mode) {
  const KindModes* row = FindKind(kind);
  if (row == nullptr) return std::nullopt;
  for (int effect = 0; effect < kCount; ++effect) {
    if (row->modes[static_cast<size_t>(effect)] == mode) return static_cast<Effect>(effect);
  }
  return std::nullopt;
}

std::optional<uint8_t> CommonEffects::ModeFor(DeviceKind kind, Effect effect) {
  const KindModes* row = FindKind(kind);
  if (row == nullptr || effect >= kCount) return std::nullopt;
  return row->modes[effect];
}

void SharedSyncEffect::Remember(CommonEffects::Effect common, const LightEffect& from) {
  effect.store(common);
  brightness.store(from.brightness);
  speed.store(from.speed);
  direction.store(from.direction);
  multicolour.store(from.multicolor);
  red.store(from.red);
  green.store(from.green);
  blue.store(from.blue);
}

int LightSyncEngine::StepLength(uint8_t speed) { return kStepLengths[std::min<size_t>(speed, 4)]; }

ZoneColour LightSyncEngine::Step(const SharedSyncEffect& effect, uint64_t now_ms) {
  const uint8_t level = HostEffects::Level(effect.brightness.load());
  const uint8_t red = effect.red.load();
  const uint8_t green = effect.green.load();
  const uint8_t blue = effect.blue.load();
  const bool multicolour = effect.multicolour.load() != 0;
  switch (effect.effect.load()) {
    case CommonEffects::kBreathing: {
      ramp_ = HostEffects::Step(effect.direction.load() != 0, HostEffects::kBreathingSteps, ramp_);
      const auto brightness =
          static_cast<uint8_t>(level * HostEffects::BreathingCurve()[static_cast<size_t>(ramp_)] / 256);
      if (!multicolour) return WithBrightness(red, green, blue, brightness);
      if (ramp_ == 0 || ramp_ == 1) {
        wheel_ += 16;
        if (wheel_ >= HostEffects::kWheelSize) wheel_ = 0;
      }
      const ZoneColour wheel = HostEffects::Wheel(wheel_);
      return WithBrightness(wheel.red, wheel.green, wheel.blue, brightness);
    }
    case CommonEffects::kSteady:
      return WithBrightness(red, green, blue, level);
    case CommonEffects::kFlashing: {
      const uint64_t period = static_cast<uint64_t>(StepLength(effect.speed.load())) * 200;
      if (!toggled_once_ || now_ms - last_toggle_ms_ >= period) {
        toggled_once_ = true;
        last_toggle_ms_ = now_ms;
        flash_on_ = !flash_on_;
        wheel_ += 14;
        if (wheel_ >= HostEffects::kWheelSize) wheel_ = 0;
      }
      if (!flash_on_) return ZoneColour{0, 0, 0, 0};
      if (!multicolour) return WithBrightness(red, green, blue, level);
      const ZoneColour wheel = HostEffects::Wheel(wheel_);
      return WithBrightness(wheel.red, wheel.green, wheel.blue, level);
    }
    case CommonEffects::kColourCycle: {
      wheel_ += 1;
      if (wheel_ >= HostEffects::kWheelSize) wheel_ = 0;
      const ZoneColour wheel = HostEffects::Wheel(wheel_);
      return WithBrightness(wheel.red, wheel.green, wheel.blue, level);
    }
    default:
      return ZoneColour{0, 0, 0, 0};
  }
}

void SyncDeviceList::Add(CKalvexUSBDevice* device) {
  if (device == nullptr) return;
  std::lock_guard lock(mutex_);
  for (CKalvexUSBDevice* known : devices_) {
    if (known == device) return;
  }
  devices_.push_back(device);
  device->SetSyncWaker(changed_);
  changed_->Set();
}

std::vector<CKalvexUSBDevice*> SyncDeviceList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return devices_;
}

void RunLightSync(const platform::Event& stop, const SyncDeviceList& devices, const SharedSyncEffect& effect) {
  LightSyncEngine engine;
  int counter = 0;
  uint32_t last_advance = platform::GetTickCount();
  std::vector<CKalvexUSBDevice*> synced;
  platform::Event& changed = devices.Changed();
  // The stop event also wakes the wait on `changed`, so the shut-down ends the thread at once.
  const platform::Event::WakerLink stop_wakes = stop.LinkWaker([&changed] { changed.Set(); });
  while (!stop.Wait(1)) {
    synced.clear();
    bool flagged = false;
    for (CKalvexUSBDevice* device : devices.Snapshot()) {
      if (!device->SyncFlag()) continue;
      flagged = true;
      if (device->Channel().is_open()) synced.push_back(device);
    }
    if (synced.empty()) {
      // A closed channel sets no flag when it opens again, hence the look once a second.
      (void)changed.Wait(flagged ? kNoDevicePauseMs : -1);
      continue;
    }
    const uint32_t now = platform::GetTickCount();
    if (now - last_advance > 1) {
      ++counter;
      last_advance = now;
    }
    if (counter < LightSyncEngine::StepLength(effect.speed.load())) continue;
    counter = 0;
    const ZoneColour colour = engine.Step(effect, now);
    for (CKalvexUSBDevice* device : synced) {
      const size_t zones = device->ZoneCount();
      for (size_t zone = 0; zone < zones; ++zone) device->SetZoneColour(zone, colour);
    }
  }
  platform::DebugOutput("同步灯光线程设定退出");
}

}  // namespace zt640
