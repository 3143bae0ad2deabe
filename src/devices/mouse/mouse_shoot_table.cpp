#include "devices/mouse/mouse_shoot_table.h"

#include "profiles/json_access.h"
#include "profiles/macro_file.h"

namespace zt640 {
std::vector<MacroDeviceEvent> MouseShootTable::GunEvents(const Json::Value& document) {
  std::vector<MacroDeviceEvent> events;
  const Json::Value& list = MemberOrNull(document, "Events");
  if (!list.isArray()) return events;
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& element = list[i];
    if (!element.isObject()) {
      events.push_back(MacroDeviceEvent{});
      continue;
    }
    const MacroEventRecord record = ParseMacroEvent(element);
    events.push_back(MacroDeviceEvent{record.delay, record.type_and_press, record.button});
  }
  return events;
}

std::vector<std::vector<MacroDeviceEvent>> MouseShootTable::Blocks(const ShootData& guns) {
  std::vector<std::vector<MacroDeviceEvent>> blocks;
  blocks.reserve(ShootData::kGunCount);
  for (int gun = 0; gun < ShootData::kGunCount; ++gun) blocks.push_back(GunEvents(guns.GunDocument(gun)));
  return blocks;
}

}  // namespace zt640
