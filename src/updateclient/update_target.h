#pragma once

#include <cstdint>
#include <string>

#include "updateclient/update_catalogue.h"

namespace zt640 {

/// A catalogue row at run time, with the target's current version: the USB
/// version of the device's wired interface for a firmware row (0 when that
/// device is not present), the installed version for the application row.
struct UpdateTarget {
  UpdateCatalogueRow row;
  uint32_t current_version = 0;
};

/// A version as the update list shows it: "V%04x" for a firmware format,
/// "V%d" for the application format.
[[nodiscard]] std::string VersionText(uint32_t version, uint32_t version_format);

/// The key that names a target to the service: brand "_" format "_" product code
/// "_" model "_" series (numbers in decimal), or "NULL" when the current version is 0.
[[nodiscard]] std::string BuildUpdateKey(const UpdateTarget& target);

}  // namespace zt640
