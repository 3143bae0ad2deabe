#include "devices/keyboard/kalvex_keyboard_device.h"

#include <algorithm>
#include <utility>

#include "devices/function_switch.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "profiles/global_utils.h"
#include "profiles/json_access.h"

namespace zt640 {

CKalvexKeyboardDevice::CKalvexKeyboardDevice(ProfileFolders folders, std::string folder_name,
                                             DevicePanelSink* sink, EffectClock clock)
    : CKalvexUSBDevice(std::move(folders), std::move(folder_name),
                       std::make_unique<KeyboardEffectRenderer>(clock), sink),
      clock_(std::move(clock)),
      inbox_(std::make_shared<ListenerInbox>()) {
  // The built-in keyboard type until the shell binds its own copy of the row.
  BindCatalogueEntry(DeviceTypeInfo::FromRow(InterfaceCatalogue().Types()[InterfaceCatalogue::kKeyboardType]));
  key_count_ = kUiKeyCount;
  inbox_->ui_key_of_device.fill(kNoMapping);
  profile_.SetDefaultProfilePath(GetDefaultProfilePath());
  // Until a profile is chosen the device shows the default profile.
  (void)profile_.LoadProfile(GetDefaultProfilePath());  // kept inside; the returned copy is not needed
}

CKalvexKeyboardDevice::~CKalvexKeyboardDevice() {
  StopLightWorker();
  StopListener(kListenerCable);
  StopListener(kListenerReceiver);
}

bool CKalvexKeyboardDevice::AttachSecondaryInterface(DeviceKind kind, const std::string& path) {
  return StartListener(kind == kListenerReceiver ? kListenerReceiver : kListenerCable, path);
}

void CKalvexKeyboardDevice::DetachSecondaryInterface(DeviceKind kind) {
  // A listener that does not end in time is detached and logged by its worker.
  (void)StopListener(kind == kListenerReceiver ? kListenerReceiver : kListenerCable);
}

bool CKalvexKeyboardDevice::SecondaryInterfaceAttached(DeviceKind kind) const {
  return (kind == kListenerReceiver ? receiver_listener_ : cable_listener_).IsOpen();
}

int CKalvexKeyboardDevice::FindKey(int value) { return KeyboardEffectRenderer::FindKey(value); }

void CKalvexKeyboardDevice::SetProfileName(std::string uuid) {
  profile_name_ = std::move(uuid);
  SetProfilePaths();
}

void CKalvexKeyboardDevice::SetProfilePaths() {
  const std::string folder = GetDataFolder();
  if (folder.empty()) return;
  if (!profile_name_.empty()) profile_.SetProfilePath(ProfileFilePath(folder, profile_name_));
  profile_.SetLightConfigPath(LightConfigPath(folder, catalogue_entry_.light_file_prefix));
  profile_.SetDefaultProfilePath(GetDefaultProfilePath());
}

bool CKalvexKeyboardDevice::SaveProfileData() { return profile_.Save(); }

void CKalvexKeyboardDevice::SetPageType(int32_t page_type) {
  page_type_ = page_type;
  profile_.SetDeviceSlot(0);
}

void CKalvexKeyboardDevice::InitializeDevice() {
  LoadNameLists();
  LoadProfileState();
  ApplyProfileState();
}

void CKalvexKeyboardDevice::LoadProfileState() {
  const std::string path = profile_.GetProfilePath().empty() ? GetDefaultProfilePath() : profile_.GetProfilePath();
  (void)profile_.LoadProfile(path);  // kept inside; an unreadable file reads as the defaults
  effect_ = profile_.GetLightInfo();
  options_ = profile_.GetKeyboardOptions();
  assignments_ = profile_.GetKeyList();
  audio_light_ = profile_.GetAudioLightInfo();
  std::vector<LightEffect> zones = profile_.GetLightList();
  std::vector<EffectFrame> frames = profile_.LoadEffectFrames();
  {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    auto& renderer = static_cast<KeyboardEffectRenderer&>(*core->renderer);
    renderer.SetZoneRecords(std::move(zones));
    renderer.SetLightList(std::move(frames));
    renderer.SetAudioLight(audio_light_);
  }
}

void CKalvexKeyboardDevice::ApplyProfileState() {
  const LightState before = GetLightState();
  LightState state = LightState::FromEffect(effect_);
  {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    core->renderer->SetLightState(state);
  }
  Sink().ShowLightState(effect_);
  Sink().ShowOptions(options_);
  Sink().ShowAudioLight(audio_light_);
  Sink().ShowCustomSlot(effect_.custom_group);
  Sink().ShowKeyAssignments();
  if (before.mode() != state.mode() || ToKeyboardLightMode(state.mode()) == KeyboardLightMode::kCustom) {
    PrepareLighting(state.mode());
  }
}

void CKalvexKeyboardDevice::ApplyProfile() {
  LoadProfileState();
  DropMissingMacros();
  ApplyProfileState();
}

void CKalvexKeyboardDevice::LoadNameLists() {
  names_ = DeviceNameLists::Load(folders_.defaults, GetDataFolder(), catalogue_entry_.light_file_prefix, page_type_);
}

uint8_t CKalvexKeyboardDevice::ModeCode(int mode_index) const {
  if (mode_index >= 0 && static_cast<size_t>(mode_index) < names_.modes.size()) {
    return static_cast<uint8_t>(names_.modes[static_cast<size_t>(mode_index)].value);
  }
  return static_cast<uint8_t>(mode_index);
}

std::optional<int> CKalvexKeyboardDevice::ModeIndexOfCode(uint8_t code) const {
  if (names_.modes.empty()) {
    if (code < kKeyboardLightModeCount) return code;
    return std::nullopt;
  }
  for (size_t i = 0; i < names_.modes.size(); ++i) {
    if (names_.modes[i].value == code) return static_cast<int>(i);
  }
  return std::nullopt;
}

void CKalvexKeyboardDevice::SetFunctionSwitch(int32_t value) {
  CKalvexUSBDevice::SetFunctionSwitch(value);
  if (value == FunctionSwitch::kLighting) Sink().ShowKeyEnabled(110, true);
  if (value == FunctionSwitch::kKeys) Sink().ShowKeyEnabled(110, false);
}

void CKalvexKeyboardDevice::SetOptions(const KeyboardOptions& options) {
  options_ = options;
  profile_.SetKeyboardOptions(options);
  Sink().ShowOptions(options);
}

void CKalvexKeyboardDevice::SetAssignment(int ui_key, const KeyAssignment& assignment) {
  if (ui_key < 0) return;
  if (static_cast<size_t>(ui_key) >= assignments_.size()) return;
  assignments_[static_cast<size_t>(ui_key)].current.assignment = assignment;
  profile_.SetKeyList(assignments_);
  Sink().ShowKeyAssignments();
}

int CKalvexKeyboardDevice::MatchedKeyCount() const {
  return static_cast<int>(std::count_if(device_key_map_.begin(), device_key_map_.begin() + kUiKeyCount,
                                        [](uint8_t k) { return k != kNoMapping; }));
}

}  // namespace zt640
