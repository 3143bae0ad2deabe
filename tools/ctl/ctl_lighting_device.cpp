#include "ctl_lighting_device.h"

#include <cstdio>

#include "ctl_light_options.h"
#include "interface_finder.h"
#include "profiles/profile_list.h"

namespace zt640::ctl {

std::optional<std::string> ActiveProfileOf(CKalvexLightingDevice& device, DeviceKind kind) {
  const std::string folder = device.GetDataFolder();
  if (folder.empty()) return std::nullopt;
  ProfileList list;
  list.SetDeviceKind(kind);
  list.SetProfileFolders(folder, device.GetDefaultProfilePath());
  (void)list.LoadProfileList();  // a list that cannot be read leaves no active profile below
  if (list.GetActiveProfileUuid().empty()) return std::nullopt;
  return list.GetActiveProfileUuid();
}

bool PrepareLightingDevice(CKalvexLightingDevice& device, const InterfaceCatalogue& catalogue, int type_index,
                           DeviceKind kind, const char* command) {
  device.BindCatalogueEntry(DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(type_index)]));
  const auto uuid = ActiveProfileOf(device, kind);
  if (!uuid) {
    std::fprintf(stderr, "zt640ctl %s: the %s has no active profile\n", command, command);
    return false;
  }
  device.SetProfileName(*uuid);
  device.LoadNameLists();
  device.LoadProfileState();
  device.InitializeDevice();
  return true;
}

bool OpenLightingDevice(CKalvexLightingDevice& device, const InterfaceCatalogue& catalogue, DeviceKind kind,
                        const char* command, std::string* path) {
  const auto found = FindCatalogueInterface(catalogue, kind, kRoleCommand);
  if (!found || !device.Connect(*found, false)) {
    std::fprintf(stderr, "zt640ctl %s: no %s found (its ids come from devices.json)\n", command, command);
    return false;
  }
  if (path != nullptr) *path = *found;
  const int result = device.ReadSettingsRecord();
  if (result != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl %s: reading the settings record failed (result %d)\n", command, result);
    return false;
  }
  return true;
}

void PrintLightLine(const CKalvexLightingDevice& device) {
  const LightState state = LightState::FromEffect(device.Effect());
  std::printf("active_slot=%u mode=%u brightness=%u speed=%u direction=%u multicolour=%u colour=%02x%02x%02x\n",
              device.ActiveSlot(), state.bytes[LightState::kMode], state.bytes[LightState::kBrightness],
              state.bytes[LightState::kSpeed], state.bytes[LightState::kDirection],
              state.bytes[LightState::kMulticolour], state.bytes[LightState::kRed], state.bytes[LightState::kGreen],
              state.bytes[LightState::kBlue]);
}

bool LightOptionsValid(const std::vector<std::string>& words) {
  LightState scratch;
  return ParseLightOptions(words, LightingSettingsRecord::kLastModeIndex, &scratch);
}

int RunLightVerb(CKalvexLightingDevice& device, const std::vector<std::string>& words, const char* command,
                 int (*usage)()) {
  LightState state = LightState::FromEffect(device.Effect());
  if (!ParseLightOptions(words, LightingSettingsRecord::kLastModeIndex, &state)) return usage();
  device.SetLightState(state.Words());
  if (!device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl %s: saving the profile failed\n", command);
    return 1;
  }
  const int result = device.WriteSettingsRecord(device.ActiveSlot(), device.ActiveSlot());
  if (result != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl %s: writing the settings record failed (result %d)\n", command, result);
    return 1;
  }
  std::printf("ok mode=%u\n", state.mode());
  return 0;
}

}  // namespace zt640::ctl
