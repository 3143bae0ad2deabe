#include "devices/kalvex_lighting_device.h"

#include <algorithm>
#include <utility>

#include "devices/macro_library_reader.h"
#include "platform/diag/debug_output.h"
#include "profiles/global_utils.h"

namespace zt640 {

CKalvexLightingDevice::CKalvexLightingDevice(ProfileFolders folders, std::string folder_name, int type_index,
                                             std::unique_ptr<CBasicProfiledata> profile, DevicePanelSink* sink,
                                             std::unique_ptr<ZoneEffectRenderer> renderer)
    : CKalvexUSBDevice(std::move(folders), std::move(folder_name),
                       renderer ? std::move(renderer) : std::make_unique<ZoneEffectRenderer>(), sink),
      profile_(std::move(profile)) {
  // The built-in type until the shell binds its own copy of the row.
  BindCatalogueEntry(DeviceTypeInfo::FromRow(InterfaceCatalogue().Types()[static_cast<size_t>(type_index)]));
  page_type_ = catalogue_entry_.page_type;
  profile_->SetDefaultProfilePath(GetDefaultProfilePath());
}

CKalvexLightingDevice::~CKalvexLightingDevice() {
  (void)listener_.Stop();  // a listener that does not end in time is detached and logged
  (void)StopLightWorker();
}

void CKalvexLightingDevice::SetProfileName(std::string uuid) {
  profile_name_ = std::move(uuid);
  SetProfilePaths();
}

void CKalvexLightingDevice::SetProfilePaths() {
  const std::string folder = GetDataFolder();
  if (folder.empty()) return;
  if (!profile_name_.empty()) profile_->SetProfilePath(ProfileFilePath(folder, profile_name_));
  profile_->SetLightConfigPath(LightConfigPath(folder, catalogue_entry_.light_file_prefix));
  profile_->SetDefaultProfilePath(GetDefaultProfilePath());
}

void CKalvexLightingDevice::LoadProfileFile() {
  SetProfilePaths();
  const std::string path = profile_->GetProfilePath().empty() ? GetDefaultProfilePath() : profile_->GetProfilePath();
  (void)profile_->LoadProfile(path);  // kept inside; an unreadable file reads as the defaults
  effect_ = profile_->GetLightInfo();
}

bool CKalvexLightingDevice::SaveProfileData() { return profile_->Save(); }

void CKalvexLightingDevice::SetPageType(int32_t page_type) {
  page_type_ = page_type;
  profile_->SetDeviceSlot(0);
}

void CKalvexLightingDevice::InitializeDevice() {
  effect_ = profile_->GetLightInfo();
  const LightState state = LightState::FromEffect(effect_);
  record_.TakeLight(state);
  std::vector<EffectFrame> frames = profile_->LoadEffectFrames();
  WithRenderer([&](ZoneEffectRenderer& renderer) {
    renderer.SetLightState(state);
    renderer.SetLightList(std::move(frames));
  });
  Core()->changed.Set();
}

void CKalvexLightingDevice::ApplyProfile() {
  LoadProfileState();
  InitializeDevice();
  if (!SaveProfileData()) platform::DebugOutput("profile not saved: " + profile_->GetProfilePath());
  ApplyProfileState();
}

void CKalvexLightingDevice::SetLightState(const std::array<uint32_t, 4>& words) {
  std::array<uint32_t, 4> kept = words;
  kept[3] &= 0xFFFF;  // custom slot and previous mode only
  CKalvexUSBDevice::SetLightState(kept);
  const LightState state = LightState::FromWords(kept);
  effect_ = state.ToEffect();
  record_.TakeLight(state);
  profile_->SetLightInfo(effect_);
  Core()->changed.Set();
}

void CKalvexLightingDevice::LoadNameLists() {
  macro_names_.clear();
  custom_light_names_.clear();
  const std::string folder = GetDataFolder();
  if (!folder.empty()) {
    if (auto library = MacroLibraryReader::Load(folder, kMacroFileName)) macro_names_ = library->Names();
    const Json::Value config =
        CGlobalUtils::ParseJsonFile(LightConfigPath(folder, catalogue_entry_.light_file_prefix));
    custom_light_names_ = LightNameCatalogue::ConfiguredModeNames(config, page_type_);
  }
  const Json::Value catalogue = CGlobalUtils::ParseJsonFile(folders_.defaults + kDefaultLightFileName);
  modes_ = LightNameCatalogue::DefaultModes(catalogue, page_type_);
}

uint8_t CKalvexLightingDevice::ModeCode(int mode_index) const {
  const int index = mode_index > LightingSettingsRecord::kLastModeIndex || mode_index < 0 ? 0 : mode_index;
  if (static_cast<size_t>(index) < modes_.size()) return static_cast<uint8_t>(modes_[static_cast<size_t>(index)].value);
  return static_cast<uint8_t>(index);
}

std::optional<int> CKalvexLightingDevice::ModeIndexOfCode(uint8_t code) const {
  for (size_t i = 0; i < modes_.size(); ++i) {
    if (modes_[i].value == code) return static_cast<int>(i);
  }
  return std::nullopt;
}

LightingSettingsRecord CKalvexLightingDevice::DeviceRecord() const {
  LightingSettingsRecord raw = record_;
  raw.bytes[LightingSettingsRecord::kMode] = ModeCode(record_.bytes[LightingSettingsRecord::kMode]);
  const uint8_t speed = std::min(record_.bytes[LightingSettingsRecord::kSpeed], LightingSettingsRecord::kTopSpeed);
  raw.bytes[LightingSettingsRecord::kSpeed] = static_cast<uint8_t>(LightingSettingsRecord::kTopSpeed - speed);
  return raw;
}

int CKalvexLightingDevice::WriteSettingsRecord(int slot, int /*slot_number*/) {
  return LightingSettingsExchange::Write(Channel(), slot, DeviceRecord());
}

int CKalvexLightingDevice::ReadSettingsRecord() {
  uint8_t slot = 0;
  LightingSettingsRecord raw;
  const int result = LightingSettingsExchange::Read(Channel(), &slot, &raw);
  if (result != CommandResult::kSuccess) return result;
  active_slot_ = slot;
  // A code no mode has keeps the mode shown.
  const uint8_t mode = record_.bytes[LightingSettingsRecord::kMode];
  record_ = raw;
  record_.bytes[LightingSettingsRecord::kMode] =
      static_cast<uint8_t>(ModeIndexOfCode(raw.bytes[LightingSettingsRecord::kMode]).value_or(mode));
  // A value above 4 on the device would make a negative speed: it counts as the slowest.
  const uint8_t inverted = std::min(raw.bytes[LightingSettingsRecord::kSpeed], LightingSettingsRecord::kTopSpeed);
  record_.bytes[LightingSettingsRecord::kSpeed] = static_cast<uint8_t>(LightingSettingsRecord::kTopSpeed - inverted);
  LightState state = GetLightState();
  record_.GiveLight(&state);
  effect_ = state.ToEffect();
  WithRenderer([&state](ZoneEffectRenderer& renderer) { renderer.SetLightState(state); });
  Core()->changed.Set();
  return CommandResult::kSuccess;
}

void CKalvexLightingDevice::RefreshFromDevice() {
  if (const int read = ReadSettingsRecord(); read != CommandResult::kSuccess) {
    platform::DebugOutput("settings record not read: " + std::to_string(read));
    return;
  }
  Sink().ShowLightState(effect_);
}

void CKalvexLightingDevice::ReadPowerStatus() {
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return;
  PowerRecord record;
  if (channel.ReadPowerRecord(&record) != CommandResult::kSuccess) return;
  record.bytes[PowerRecord::kViaReceiverOffset] = channel.via_receiver() ? 1 : 0;
  power_ = record;
  Sink().ShowPower(record);
}

std::pair<std::vector<ZoneColour>, uint64_t> CKalvexLightingDevice::FrameSnapshot() const {
  auto core = Core();
  std::lock_guard lock(core->mutex);
  return {core->renderer->Zones(), core->generation};
}

uint64_t CKalvexLightingDevice::RenderedPasses() const {
  auto core = Core();
  std::lock_guard lock(core->mutex);
  return core->generation;
}

void CKalvexLightingDevice::StartReactive() {
  WithRenderer([](ZoneEffectRenderer& renderer) { renderer.StartReactiveAll(); });
  Core()->changed.Set();
}

bool CKalvexLightingDevice::AttachSecondaryInterface(DeviceKind /*kind*/, const std::string& path) {
  return listener_.Start(path, [inbox = inbox_](uint32_t usage) {
    // Only the re-read request means anything; other reports are ignored.
    if (usage != kRefreshReport) return;
    std::function<void()> notify;
    {
      std::lock_guard lock(inbox->mutex);
      inbox->refresh = true;
      notify = inbox->notify;
    }
    if (notify) notify();
  });
}

void CKalvexLightingDevice::DetachSecondaryInterface(DeviceKind /*kind*/) {
  (void)listener_.Stop();  // a listener that does not end in time is detached and logged
}

bool CKalvexLightingDevice::SecondaryInterfaceAttached(DeviceKind /*kind*/) const { return listener_.IsOpen(); }

void CKalvexLightingDevice::SetListenerNotify(std::function<void()> notify) {
  std::lock_guard lock(inbox_->mutex);
  inbox_->notify = std::move(notify);
}

bool CKalvexLightingDevice::ProcessListenerEvents() {
  std::lock_guard lock(inbox_->mutex);
  return std::exchange(inbox_->refresh, false);
}

}  // namespace zt640
