#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_kind.h"
#include "catalogue/interface_catalogue.h"
#include "devices/kalvex_lighting_device.h"

namespace zt640::ctl {

/// What `zt640ctl pad` and `zt640ctl headset` do alike: find the device's
/// active profile, open it and read its settings record, show and change its
/// lighting. `command` names the subcommand in messages ("pad", "headset").

/// The UUID of the active profile of `kind`, from its profile list (created
/// with one profile from the default profile when missing).
[[nodiscard]] std::optional<std::string> ActiveProfileOf(CKalvexLightingDevice& device, DeviceKind kind);

/// Binds the catalogue entry of `type_index`, loads the active profile and the
/// name lists; false, told on stderr, when there is no active profile.
[[nodiscard]] bool PrepareLightingDevice(CKalvexLightingDevice& device, const InterfaceCatalogue& catalogue,
                                         int type_index, DeviceKind kind, const char* command);

/// Opens the device's command interface and reads its settings record, which
/// later writes keep bytes 9-20 of; false, told on stderr, when either fails.
/// `path` receives the interface path.
[[nodiscard]] bool OpenLightingDevice(CKalvexLightingDevice& device, const InterfaceCatalogue& catalogue,
                                      DeviceKind kind, const char* command, std::string* path = nullptr);

/// The `active_slot=... mode=...` line of `show`.
void PrintLightLine(const CKalvexLightingDevice& device);

/// True when `light ...` words parse; checked before anything is sent.
[[nodiscard]] bool LightOptionsValid(const std::vector<std::string>& words);

/// `light --mode N ...`: sets the light state, saves the profile and writes the
/// record at the active slot. The exit status; 2 for malformed options, with
/// nothing sent.
[[nodiscard]] int RunLightVerb(CKalvexLightingDevice& device, const std::vector<std::string>& words,
                               const char* command, int (*usage)());

}  // namespace zt640::ctl
