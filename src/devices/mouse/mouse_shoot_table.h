#pragma once

#include <vector>

#include "devices/macro_table.h"
#include "profiles/shoot_data.h"

namespace zt640 {

/// The mouse's shoot data area: the block layout of the macro table with one
/// entry per gun, guns 0 to 3 in order, each holding its file's events in
/// file order.
class MouseShootTable {
 public:
  /// The events of every gun's file (a damaged file reads as its default).
  /// An element that is no event object keeps its place as an empty event,
  /// so every bullet stays at six events from the start of its gun.
  [[nodiscard]] static std::vector<std::vector<MacroDeviceEvent>> Blocks(const ShootData& guns);
  /// The events of one file's "Events" array; "Delay" and "Button" are numbers here.
  [[nodiscard]] static std::vector<MacroDeviceEvent> GunEvents(const Json::Value& document);
};

}  // namespace zt640
