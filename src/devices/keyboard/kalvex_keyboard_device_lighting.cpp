#include <algorithm>
#include <utility>

#include "devices/host_effects.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/lighting_worker.h"
#include "platform/diag/debug_output.h"
#include "platform/sync/tick_count.h"

namespace zt640 {
namespace {

constexpr size_t kStreamedFrameBytes = 378;

KeyboardEffectRenderer& Renderer(LightingCore& core) {
  return static_cast<KeyboardEffectRenderer&>(*core.renderer);
}

bool StreamedMode(int mode) { return IsHostStreamedMode(ToKeyboardLightMode(mode)); }

}  // namespace

void CKalvexKeyboardDevice::StartLightWorker() {
  // The keyboard runs its other modes itself; rendering them only feeds the picture.
  LightingWorker worker(
      Core(), SharedChannel(), clock_, [](const LightState& state) { return StreamedMode(state.mode()); },
      "KB灯光线程设定退出");
  light_worker_.Start(
      "keyboard lighting worker", [worker = std::move(worker)](const platform::Event& stop) { worker.Run(stop); },
      kWorkerStopWait);
}

WorkerThread::StopOutcome CKalvexKeyboardDevice::StopLightWorker() { return light_worker_.Stop(kWorkerStopWait); }

void CKalvexKeyboardDevice::PrepareLighting(int mode) {
  if (ToKeyboardLightMode(mode) == KeyboardLightMode::kCustom && Channel().is_open()) {
    if (const int loaded = LoadCustomColours(); loaded != CommandResult::kSuccess) {
      platform::DebugOutput("custom colours not read from the keyboard: " + std::to_string(loaded));
    }
  }
  auto core = Core();
  std::lock_guard lock(core->mutex);
  Renderer(*core).PrepareMode(mode);
}

void CKalvexKeyboardDevice::SetLightState(const std::array<uint32_t, 4>& words) {
  std::array<uint32_t, 4> kept = words;
  // Only the custom slot and the previous mode live in the fourth word.
  kept[3] &= 0xFFFF;
  const LightState state = LightState::FromWords(kept);
  const int before = GetLightState().mode();
  effect_ = state.ToEffect();
  {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    core->renderer->SetLightState(state);
  }
  // A streamed mode needs an idle worker back.
  Core()->changed.Set();
  profile_.SetLightInfo(effect_);
  if (before != state.mode()) PrepareLighting(state.mode());
}

void CKalvexKeyboardDevice::SetAudioLightInfo(const AudioLightSetting& setting) {
  CKalvexUSBDevice::SetAudioLightInfo(setting);
  profile_.SetAudioLightInfo(setting);
  auto core = Core();
  std::lock_guard lock(core->mutex);
  Renderer(*core).SetAudioLight(setting);
}

void CKalvexKeyboardDevice::FeedAudioSpectrum(std::span<const int32_t> values) {
  auto core = Core();
  std::lock_guard lock(core->mutex);
  Renderer(*core).FeedAudioSpectrum(values);
}

void CKalvexKeyboardDevice::FeedAudioLevels(std::span<const int32_t> values) {
  auto core = Core();
  bool new_colour = false;
  {
    std::lock_guard lock(core->mutex);
    new_colour = Renderer(*core).FeedAudioLevels(values);
  }
  if (new_colour) core->changed.Set();
}

void CKalvexKeyboardDevice::KeyEvent(unsigned device_key, int press) {
  uint8_t ui_key = kNoMapping;
  {
    std::lock_guard lock(inbox_->mutex);
    if (device_key < inbox_->ui_key_of_device.size()) ui_key = inbox_->ui_key_of_device[device_key];
  }
  if (ui_key == kNoMapping) return;
  auto core = Core();
  std::lock_guard lock(core->mutex);
  Renderer(*core).KeyEvent(ui_key, press);
}

void CKalvexKeyboardDevice::SendLightFrame() {
  if (!HostLighting()) return;
  std::vector<ZoneColour> zones;
  int mode = 0;
  uint64_t generation = 0;
  {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    zones = core->renderer->Zones();
    mode = core->renderer->GetLightState().mode();
    generation = core->generation;
  }
  const bool on_screen = OnScreen();
  if (!on_screen && !StreamedMode(mode)) return;
  if (on_screen) ShowZones(zones);
  std::array<uint8_t, kFrameSize> frame{};
  for (int key = 0; key < kUiKeyCount && static_cast<size_t>(key) < zones.size(); ++key) {
    const ZoneColour& zone = zones[static_cast<size_t>(key)];
    const uint8_t p = light_position_map_[static_cast<size_t>(key)];
    if (p == kNoMapping || 3u * p + 2 >= frame.size()) continue;
    frame[3u * p] = static_cast<uint8_t>(zone.red * zone.brightness / 256);
    frame[3u * p + 1] = static_cast<uint8_t>(zone.green * zone.brightness / 256);
    frame[3u * p + 2] = static_cast<uint8_t>(zone.blue * zone.brightness / 256);
  }
  CommandChannel& channel = Channel();
  // The keyboard runs every other mode itself from its settings record.
  if (!StreamedMode(mode) || !channel.is_open()) return;
  // A frame the worker has not changed since the last send is not sent again.
  if (generation == last_sent_generation_) return;
  last_sent_generation_ = generation;
  if (channel.StreamLightFrame(std::span<const uint8_t>(frame.data(), kStreamedFrameBytes)) != CommandResult::kSuccess) {
    platform::Sleep(kLightFailureSleepMs);
  }
}

void CKalvexKeyboardDevice::ShowZones(std::span<const ZoneColour> zones) {
  const size_t count = std::min(zones.size(), static_cast<size_t>(kUiKeyCount));
  for (size_t key = 0; key < count; ++key) Sink().ShowKeyLight(static_cast<unsigned>(key), zones[key]);
}

bool CKalvexKeyboardDevice::StreamsHostFrames() const {
  return HostLighting() && StreamedMode(GetLightState().mode());
}

size_t CKalvexKeyboardDevice::LightPageLength() const {
  return std::min<size_t>(3u * device_info_.key_count(), CommandChannel::kLightPageSize);
}

std::vector<uint8_t> CKalvexKeyboardDevice::CustomPage(const std::vector<CustomColor>& colours) const {
  std::vector<uint8_t> page(LightPageLength(), 0);
  for (int key = 0; key < kUiKeyCount && static_cast<size_t>(key) < colours.size(); ++key) {
    const uint8_t p = light_position_map_[static_cast<size_t>(key)];
    if (p == kNoMapping || 3u * p + 2 >= page.size()) continue;
    page[3u * p] = colours[static_cast<size_t>(key)].red;
    page[3u * p + 1] = colours[static_cast<size_t>(key)].green;
    page[3u * p + 2] = colours[static_cast<size_t>(key)].blue;
  }
  return page;
}

std::vector<CustomColor> CKalvexKeyboardDevice::ZoneCustomColours() const {
  const std::vector<ZoneColour> zones = ZoneSnapshot();
  std::vector<CustomColor> colours(kUiKeyCount);
  for (size_t key = 0; key < colours.size() && key < zones.size(); ++key) {
    colours[key] = {zones[key].red, zones[key].green, zones[key].blue, 0};
  }
  return colours;
}

void CKalvexKeyboardDevice::ShowCustomColours(const std::vector<CustomColor>& colours) {
  const uint8_t brightness = static_cast<uint8_t>(255 * HostEffects::Level(effect_.brightness) / 256);
  auto core = Core();
  std::lock_guard lock(core->mutex);
  for (size_t key = 0; key < colours.size() && key < static_cast<size_t>(kUiKeyCount); ++key) {
    core->renderer->SetZoneColour(key, {colours[key].red, colours[key].green, colours[key].blue, brightness});
  }
}

int CKalvexKeyboardDevice::LoadCustomColours() {
  const int slot = std::clamp<int>(effect_.custom_group, 0, kCustomSlots - 1);
  std::vector<uint8_t> page(LightPageLength(), 0);
  const int result = Channel().ReadLightMemory(slot, page);
  if (result != CommandResult::kSuccess) return result;
  std::vector<CustomColor> colours(kUiKeyCount);
  for (int key = 0; key < kUiKeyCount; ++key) {
    const uint8_t p = light_position_map_[static_cast<size_t>(key)];
    if (p == kNoMapping || 3u * p + 2 >= page.size()) continue;
    colours[static_cast<size_t>(key)] = {page[3u * p], page[3u * p + 1], page[3u * p + 2], 0};
  }
  ShowCustomColours(colours);
  profile_.SetCustomColors(colours, static_cast<unsigned>(slot));
  return CommandResult::kSuccess;
}

int CKalvexKeyboardDevice::SaveCustomColours() {
  if (ToKeyboardLightMode(GetLightState().mode()) != KeyboardLightMode::kCustom) return CommandResult::kSuccess;
  const int slot = std::clamp<int>(effect_.custom_group, 0, kCustomSlots - 1);
  const int result = Channel().WriteLightMemory(slot, CustomPage(ZoneCustomColours()));
  if (result != CommandResult::kSuccess) platform::Sleep(kLightFailureSleepMs);
  return result;
}

int CKalvexKeyboardDevice::SaveAllCustomColours() {
  for (int slot = 0; slot < kCustomSlots; ++slot) {
    const auto colours = profile_.GetCustomColors(static_cast<unsigned>(slot), kUiKeyCount);
    const int result = Channel().WriteLightMemory(slot, CustomPage(colours));
    if (result != CommandResult::kSuccess) {
      platform::Sleep(kLightFailureSleepMs);
      return result;
    }
  }
  return CommandResult::kSuccess;
}

int CKalvexKeyboardDevice::SetCustomSlot(int slot) {
  if (slot < 0 || slot >= kCustomSlots) return CommandResult::kFailed;
  Sink().ShowCustomSlot(slot);
  profile_.SetCustomColorGroup(slot);
  effect_.custom_group = static_cast<uint8_t>(slot);
  profile_.SetLightInfo(effect_);
  {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    LightState state = core->renderer->GetLightState();
    state.bytes[LightState::kCustomSlot] = static_cast<uint8_t>(slot);
    core->renderer->SetLightState(state);
  }
  return LoadCustomColours();
}

int CKalvexKeyboardDevice::FillCustomColours(bool on) {
  const CustomColor colour = on ? CustomColor{effect_.red, effect_.green, effect_.blue, 0} : CustomColor{};
  const std::vector<CustomColor> colours(kUiKeyCount, colour);
  ShowCustomColours(colours);
  const int slot = std::clamp<int>(effect_.custom_group, 0, kCustomSlots - 1);
  profile_.SetCustomColors(colours, static_cast<unsigned>(slot));
  const int result = Channel().WriteLightMemory(slot, CustomPage(colours));
  if (result != CommandResult::kSuccess) platform::Sleep(kLightFailureSleepMs);
  return result;
}

int CKalvexKeyboardDevice::PaintCustomKeys(const std::vector<int>& keys) {
  std::vector<CustomColor> colours = ZoneCustomColours();
  for (int key : keys) {
    if (key < 0 || key >= kUiKeyCount) continue;
    colours[static_cast<size_t>(key)] = CustomColor{effect_.red, effect_.green, effect_.blue, 0};
  }
  ShowCustomColours(colours);
  const int slot = std::clamp<int>(effect_.custom_group, 0, kCustomSlots - 1);
  profile_.SetCustomColors(colours, static_cast<unsigned>(slot));
  const int result = Channel().WriteLightMemory(slot, CustomPage(colours));
  if (result != CommandResult::kSuccess) platform::Sleep(kLightFailureSleepMs);
  return result;
}

bool CKalvexKeyboardDevice::StartListener(DeviceKind listener_kind, const std::string& path) {
  KeyboardListener& listener = listener_kind == kListenerReceiver ? receiver_listener_ : cable_listener_;
  return listener.Start(path, [inbox = inbox_, core = Core()](const ListenerEvent& event) {
    std::function<void()> notify;
    {
      std::lock_guard lock(inbox->mutex);
      if (inbox->observer) inbox->observer(event);
      if (event.kind == ListenerEvent::Kind::kKeyDown || event.kind == ListenerEvent::Kind::kKeyUp) {
        // Key presses go straight to the effects; a key the keyboard does not
        // have (no UI key) is ignored.
        const uint8_t ui_key = inbox->ui_key_of_device[event.device_key];
        if (ui_key == kNoMapping) return;
        std::lock_guard core_lock(core->mutex);
        Renderer(*core).KeyEvent(ui_key, event.kind == ListenerEvent::Kind::kKeyDown
                                             ? KeyboardEffectRenderer::kPress
                                             : KeyboardEffectRenderer::kRelease);
        return;
      }
      inbox->events.push_back(event);
      notify = inbox->notify;
    }
    if (notify) notify();
  });
}

WorkerThread::StopOutcome CKalvexKeyboardDevice::StopListener(DeviceKind listener_kind) {
  KeyboardListener& listener = listener_kind == kListenerReceiver ? receiver_listener_ : cable_listener_;
  return listener.Stop();
}

void CKalvexKeyboardDevice::SetListenerNotify(std::function<void()> notify) {
  std::lock_guard lock(inbox_->mutex);
  inbox_->notify = std::move(notify);
}

void CKalvexKeyboardDevice::SetListenerObserver(std::function<void(const ListenerEvent&)> observer) {
  std::lock_guard lock(inbox_->mutex);
  inbox_->observer = std::move(observer);
}

std::vector<ListenerEvent> CKalvexKeyboardDevice::ProcessListenerEvents() {
  std::deque<ListenerEvent> events;
  {
    std::lock_guard lock(inbox_->mutex);
    events.swap(inbox_->events);
  }
  for (const ListenerEvent& event : events) HandleListenerEvent(event);
  return {events.begin(), events.end()};
}

void CKalvexKeyboardDevice::HandleListenerEvent(const ListenerEvent& event) {
  switch (event.kind) {
    case ListenerEvent::Kind::kSync:
      RefreshFromDevice();
      break;
    case ListenerEvent::Kind::kReload:
      reload_pending_ = true;
      RefreshFromDevice();
      break;
    case ListenerEvent::Kind::kSlot:
      if (!Channel().is_open()) break;
      active_slot_ = event.slot;
      settings_record_.bytes[KeyboardSettingsRecord::kSlot] = event.slot;
      if (event.has_sub_code) settings_record_.bytes[KeyboardSettingsRecord::kSlotSubCode] = event.sub_code;
      ApplyProfileState();
      break;
    case ListenerEvent::Kind::kKeyDown:
    case ListenerEvent::Kind::kKeyUp:
      KeyEvent(event.device_key, event.kind == ListenerEvent::Kind::kKeyDown ? KeyboardEffectRenderer::kPress
                                                                             : KeyboardEffectRenderer::kRelease);
      break;
  }
}

}  // namespace zt640
