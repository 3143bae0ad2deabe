#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/mouse/mouse_effect_renderer.h"

#include <algorithm>
#include <utility>

#include "platform/diag/debug_output.h"
#include "profiles/global_utils.h"
#include "profiles/key_tables.h"

namespace zt640 {

CKalvexMouseDevice::CKalvexMouseDevice(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink,
                                       EffectClock clock)
    : CKalvexUSBDevice(std::move(folders), std::move(folder_name), std::make_unique<MouseEffectRenderer>(clock), sink),
      clock_(std::move(clock)) {
  // The built-in mouse type until the shell binds its own copy of the row.
  BindCatalogueEntry(DeviceTypeInfo::FromRow(InterfaceCatalogue().Types()[InterfaceCatalogue::kMouseType]));
  page_type_ = catalogue_entry_.page_type;
  key_count_ = static_cast<int>(MouseButtonMap::kButtonCount);
  profile_.SetDefaultProfilePath(GetDefaultProfilePath());
  // Until a profile is chosen the device shows the default profile.
  (void)profile_.LoadProfile(GetDefaultProfilePath());  // kept inside; the returned copy is not needed
}

CKalvexMouseDevice::~CKalvexMouseDevice() {
  StopLightWorker();
  StopListener(kListenerCable);
  StopListener(kListenerReceiver);
}

void CKalvexMouseDevice::SetProfileName(std::string uuid) {
  profile_name_ = std::move(uuid);
  SetProfilePaths();
}

void CKalvexMouseDevice::SetScreenSize(uint16_t width, uint16_t height) {
  screen_width_ = width;
  screen_height_ = height;
}

void CKalvexMouseDevice::SetProfilePaths() {
  const std::string folder = GetDataFolder();
  if (folder.empty()) return;
  if (!profile_name_.empty()) profile_.SetProfilePath(ProfileFilePath(folder, profile_name_));
  profile_.SetLightConfigPath(LightConfigPath(folder, catalogue_entry_.light_file_prefix));
  profile_.SetDefaultProfilePath(GetDefaultProfilePath());
}

bool CKalvexMouseDevice::SaveProfileData() { return profile_.Save(); }

void CKalvexMouseDevice::SetPageType(int32_t page_type) {
  page_type_ = page_type;
  profile_.SetDeviceSlot(0);
}

void CKalvexMouseDevice::InitializeDevice() {
  LoadProfileState();
  ShowLightStateOnRenderer();
}

void CKalvexMouseDevice::LoadProfileState() {
  SetProfilePaths();
  const std::string path = profile_.GetProfilePath().empty() ? GetDefaultProfilePath() : profile_.GetProfilePath();
  (void)profile_.LoadProfile(path);  // kept inside; an unreadable file reads as the defaults
  key_list_ = profile_.GetKeyList();
  effect_ = profile_.GetLightInfo();
  stages_ = profile_.GetDpiStages();
  current_stage_ = profile_.GetActiveDpiStage();
  options_ = profile_.GetMouseOptions();
  corrections_ = profile_.GetCorrectList();
}

void CKalvexMouseDevice::ApplyProfileState() {
  LoadNameLists();
  ShowLightStateOnRenderer();
  Sink().ShowLightState(effect_);
  Sink().ShowKeyAssignments();
}

void CKalvexMouseDevice::ApplyProfile() {
  LoadProfileState();
  InitializeDevice();
  if (!SaveProfileData()) platform::DebugOutput("mouse profile not saved: " + profile_.GetProfilePath());
  ApplyProfileState();
}

void CKalvexMouseDevice::LoadNameLists() {
  names_ = DeviceNameLists::Load(folders_.defaults, GetDataFolder(), catalogue_entry_.light_file_prefix, page_type_);
}

uint8_t CKalvexMouseDevice::ModeCode(int mode_index) const {
  const int index = mode_index >= kModeCodeLimit || mode_index < 0 ? 0 : mode_index;
  if (static_cast<size_t>(index) < names_.modes.size()) {
    return static_cast<uint8_t>(names_.modes[static_cast<size_t>(index)].value);
  }
  return static_cast<uint8_t>(index);
}

std::optional<int> CKalvexMouseDevice::ModeIndexOfCode(uint8_t code) const {
  for (size_t i = 0; i < names_.modes.size(); ++i) {
    if (names_.modes[i].value == code) return static_cast<int>(i);
  }
  return std::nullopt;
}

void CKalvexMouseDevice::SetLightState(const std::array<uint32_t, 4>& words) {
  std::array<uint32_t, 4> kept = words;
  kept[3] &= 0xFFFF;  // custom slot and previous mode only
  const LightState state = LightState::FromWords(kept);
  effect_.mode = state.mode();
  effect_.brightness = state.brightness();
  effect_.speed = state.speed();
  effect_.direction = state.bytes[LightState::kDirection];
  effect_.multicolor = state.bytes[LightState::kMulticolour];
  effect_.red = state.bytes[LightState::kRed];
  effect_.green = state.bytes[LightState::kGreen];
  effect_.blue = state.bytes[LightState::kBlue];
  profile_.SetLightInfo(effect_);
  ShowLightStateOnRenderer();
}

void CKalvexMouseDevice::SetSelectedKey(int32_t index) {
  selected_key_ = index >= 0 && index < static_cast<int32_t>(MouseButtonMap::kButtonCount) ? index : -1;
}

void CKalvexMouseDevice::ApplyKeyAssignment(const KeyListEntry& entry) {
  if (selected_key_ < 0 || static_cast<size_t>(selected_key_) >= key_list_.size()) return;
  key_list_[static_cast<size_t>(selected_key_)] = entry;
  profile_.SetKeyList(key_list_);
  Sink().ShowKeyAssignments();
}

std::map<int, KeyListEntry> CKalvexMouseDevice::KeyListMap() const {
  std::map<int, KeyListEntry> map;
  for (size_t i = 0; i < key_list_.size() && i < MouseButtonMap::kButtonCount; ++i) {
    map[static_cast<int>(i)] = key_list_[i];
  }
  return map;
}

}  // namespace zt640
