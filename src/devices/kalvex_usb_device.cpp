#include "devices/kalvex_usb_device.h"

#include <algorithm>
#include <utility>

#include "platform/sync/tick_count.h"

namespace zt640 {

CKalvexUSBDevice::CKalvexUSBDevice(ProfileFolders folders, std::string folder_name,
                                   std::unique_ptr<HostEffectRenderer> renderer,
                                   DevicePanelSink* sink)
    : folders_(std::move(folders)),
      folder_name_(std::move(folder_name)),
      channel_(std::make_shared<CommandChannel>()),
      core_(std::make_shared<LightingCore>(renderer ? std::move(renderer)
                                                    : std::make_unique<HostEffectRenderer>())) {
  device_key_map_.fill(kNoMapping);
  light_position_map_.fill(kNoMapping);
  if (sink != nullptr) sink_ = sink;
}

CKalvexUSBDevice::~CKalvexUSBDevice() = default;

void CKalvexUSBDevice::SetPanelSink(DevicePanelSink* sink) { sink_ = sink != nullptr ? sink : &null_sink_; }

void CKalvexUSBDevice::SetSyncFlag(bool on) {
  sync_flag_.store(on);
  std::lock_guard lock(sync_waker_mutex_);
  if (sync_waker_) sync_waker_->Set();
}

void CKalvexUSBDevice::SetSyncWaker(std::shared_ptr<platform::Event> waker) {
  std::lock_guard lock(sync_waker_mutex_);
  sync_waker_ = std::move(waker);
}

bool LightingCore::OfferFrame(const std::vector<ZoneColour>& zones) {
  if (frame_listeners.empty() || zones == notified_zones) return false;
  bool taken = false;
  for (const auto& [owner, listener] : frame_listeners) taken = listener() || taken;
  // A declined frame is offered again after the next pass, changed or not.
  if (taken) notified_zones = zones;
  return !taken;
}

void CKalvexUSBDevice::AddFrameListener(const void* owner, std::function<bool()> listener) {
  std::lock_guard lock(core_->mutex);
  std::erase_if(core_->frame_listeners, [owner](const auto& entry) { return entry.first == owner; });
  core_->frame_listeners.emplace_back(owner, std::move(listener));
  // The new listener hears of the next pass even if the zones stay as they are.
  core_->notified_zones.clear();
}

void CKalvexUSBDevice::RemoveFrameListener(const void* owner) {
  std::lock_guard lock(core_->mutex);
  std::erase_if(core_->frame_listeners, [owner](const auto& entry) { return entry.first == owner; });
}

void CKalvexUSBDevice::BuildKeyControls(int key_count) { key_count_ = std::max(0, key_count); }

void CKalvexUSBDevice::RenderBreathing() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderBreathing();
}
void CKalvexUSBDevice::RenderBreathingFourColours() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderBreathingFourColours();
}
void CKalvexUSBDevice::RenderStatic() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderStatic();
}
void CKalvexUSBDevice::RenderSpectrum() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderSpectrum();
}
void CKalvexUSBDevice::RenderBlink() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderBlink();
}
void CKalvexUSBDevice::RenderBlinkFourColours() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderBlinkFourColours();
}
void CKalvexUSBDevice::RenderOff() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RenderOff();
}

std::array<uint8_t, CKalvexUSBDevice::kFrameSize> CKalvexUSBDevice::BuildFrame(
    std::span<const ZoneColour> zones) {
  std::array<uint8_t, kFrameSize> frame{};
  const size_t count = std::min(zones.size(), kMaxFrameZones);
  for (size_t i = 0; i < count; ++i) {
    const ZoneColour& zone = zones[i];
    frame[3 * i] = static_cast<uint8_t>(zone.red * zone.brightness / 256);
    frame[3 * i + 1] = static_cast<uint8_t>(zone.green * zone.brightness / 256);
    frame[3 * i + 2] = static_cast<uint8_t>(zone.blue * zone.brightness / 256);
  }
  return frame;
}

void CKalvexUSBDevice::ShowZones(std::span<const ZoneColour> zones) {
  const size_t count = std::min(zones.size(), kMaxFrameZones);
  for (size_t i = 0; i < count; ++i) sink_->ShowKeyLight(static_cast<unsigned>(i), zones[i]);
}

void CKalvexUSBDevice::ShowLightFrame() {
  if (!host_lighting_.load() || !OnScreen()) return;
  ShowZones(ZoneSnapshot());
  sink_->KeyLightsShown();
}

void CKalvexUSBDevice::SendLightFrame() {
  if (!host_lighting_.load()) return;
  const std::vector<ZoneColour> zones = ZoneSnapshot();
  const size_t count = std::min(zones.size(), kMaxFrameZones);
  ShowZones(zones);
  if (!channel_->is_open() || channel_->via_receiver()) return;
  const auto frame = BuildFrame(zones);
  // Zones beyond 170 have no place in the frame; at most 510 bytes go out.
  const auto length = 3 * count;
  if (channel_->StreamLightFrame(std::span<const uint8_t>(frame.data(), length)) != CommandResult::kSuccess) {
    platform::Sleep(kLightFailureSleepMs);
  }
}

void CKalvexUSBDevice::SetZoneColour(size_t index, const ZoneColour& colour) {
  std::lock_guard lock(core_->mutex);
  core_->renderer->SetZoneColour(index, colour);
}

ZoneColour CKalvexUSBDevice::GetZoneColour(size_t index) const {
  std::lock_guard lock(core_->mutex);
  return core_->renderer->GetZoneColour(index);
}

void CKalvexUSBDevice::FadeKeyLevel(size_t key, int mode) {
  std::lock_guard lock(core_->mutex);
  core_->renderer->FadeKeyLevel(key, ToKeyboardLightMode(mode));
}

void CKalvexUSBDevice::LightRingKeys() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->LightRingKeys();
}

void CKalvexUSBDevice::RotateRing(int direction) {
  std::lock_guard lock(core_->mutex);
  core_->renderer->RotateRing(direction != 0);
}

void CKalvexUSBDevice::ClearEffectBuffers() {
  std::lock_guard lock(core_->mutex);
  core_->renderer->ClearEffectBuffers();
}

void CKalvexUSBDevice::SetFunctionSwitch(int32_t value) {
  function_switch_ = value;
  sink_->ShowFunctionSwitch(value);
}

void CKalvexUSBDevice::SetLightState(const std::array<uint32_t, 4>& words) {
  std::lock_guard lock(core_->mutex);
  core_->renderer->SetLightState(LightState::FromWords(words));
}

void CKalvexUSBDevice::SetAudioLightInfo(const AudioLightSetting& setting) {
  audio_light_ = setting;
  sink_->ShowAudioLight(setting);
}

void CKalvexUSBDevice::SetZoneCount(size_t count) {
  std::lock_guard lock(core_->mutex);
  core_->renderer->SetZoneCount(count);
}

size_t CKalvexUSBDevice::ZoneCount() const {
  std::lock_guard lock(core_->mutex);
  return core_->renderer->ZoneCount();
}

DeviceTypeInfo DeviceTypeInfo::FromRow(const DeviceTypeRow& row) {
  DeviceTypeInfo info;
  info.kind_name = std::string(row.kind_name);
  info.folder_name = info.kind_name;
  info.page_type = row.page_type;
  info.kind = row.kind;
  info.vendor_id = row.vendor_id;
  info.product_id = row.product_id;
  info.light_count = row.light_count;
  info.key_count = row.key_count;
  info.wireless = row.wireless;
  info.light_file_prefix = std::string(row.light_file_prefix);
  return info;
}

void CKalvexUSBDevice::BindCatalogueEntry(const DeviceTypeInfo& entry) {
  catalogue_entry_ = entry;
  kind_ = entry.kind;
  model_code_ = entry.model;
  SetZoneCount(static_cast<size_t>(std::max(0, entry.light_count)));
}

void CKalvexUSBDevice::SetHostLighting(bool on, bool tell_device) {
  host_lighting_.store(on);
  core_->host_lighting.store(on);
  core_->changed.Set();
  if (on && tell_device && IsKeyboardKind(kind_)) {
    // The keyboard keeps running its own effect when it does not answer.
    (void)channel_->EnableHostLighting();
  }
}

std::string CKalvexUSBDevice::GetDataFolder() const {
  return EnsureDeviceDataFolder(folders_, folder_name_).value_or(std::string());
}

std::string CKalvexUSBDevice::GetDefaultProfilePath() const {
  return DefaultProfilePath(folders_, folder_name_);
}

bool CKalvexUSBDevice::Connect(const std::string& path, bool via_receiver) {
  Disconnect();
  HidDevice& hid = via_receiver ? channel_->receiver_interface() : channel_->wired_interface();
  if (hid.Open(path, true, true, true, false) != HidDevice::kSuccess) return false;
  channel_->SetConnectionType(via_receiver ? kConnectionReceiver : kConnectionWired);
  channel_->set_open(true);
  core_->changed.Set();
  return true;
}

void CKalvexUSBDevice::Disconnect() {
  channel_->set_open(false);
  channel_->wired_interface().Close();
  channel_->receiver_interface().Close();
}

LightState CKalvexUSBDevice::GetLightState() const {
  std::lock_guard lock(core_->mutex);
  return core_->renderer->GetLightState();
}

std::vector<ZoneColour> CKalvexUSBDevice::ZoneSnapshot() const {
  std::lock_guard lock(core_->mutex);
  return core_->renderer->Zones();
}

}  // namespace zt640
