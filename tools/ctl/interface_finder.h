#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/interface_catalogue.h"

namespace zt640::ctl {

/// The catalogue the window uses: the built-in rows with the ids of
/// "devices.json" in the user data root applied. Entries it skips are told on
/// stderr, one line each.
[[nodiscard]] InterfaceCatalogue LoadCatalogue();

/// Enumerates the interfaces present and returns the path of the first one
/// matching the row (ids and numbers from the path, usage page and usage from
/// a probe open); none when absent.
[[nodiscard]] std::optional<std::string> FindInterface(const InterfaceSlot& row);

/// The path of the interface of catalogue row (`kind`, `role`); none when the
/// catalogue has no such row, its vendor id is 0 (ids not given) or it is absent.
[[nodiscard]] std::optional<std::string> FindCatalogueInterface(const InterfaceCatalogue& catalogue, DeviceKind kind,
                                                                uint16_t role);

/// Parses "VVVV:PPPP" (hex) into the row's ids; false when malformed.
[[nodiscard]] bool ParseUsbId(const std::string& text, InterfaceSlot* row);

}  // namespace zt640::ctl
