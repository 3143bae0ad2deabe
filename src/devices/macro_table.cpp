#include "devices/macro_table.h"

#include <limits>

#include "profiles/json_access.h"
#include "transport/byte_order.h"

namespace zt640 {

size_t MacroTable::TotalSize(std::span<const std::vector<MacroDeviceEvent>> macros) {
  size_t total = kHeaderSize;
  for (const auto& events : macros) total += 2 + kBlockHeaderSize + kEventSize * events.size();
  return total;
}

std::vector<uint8_t> MacroTable::Build(std::span<const std::vector<MacroDeviceEvent>> macros) {
  const size_t total = TotalSize(macros);
  if (total > std::numeric_limits<uint16_t>::max() || macros.size() > 0xFFFF) return {};
  std::vector<uint8_t> table(total, 0);
  StoreLe16(&table[kSignatureOffset], kSignature);
  StoreLe16(&table[kLengthOffset], static_cast<uint16_t>(total));
  StoreLe16(&table[kCountOffset], static_cast<uint16_t>(macros.size()));
  size_t block = kHeaderSize + 2 * macros.size();
  for (size_t m = 0; m < macros.size(); ++m) {
    StoreLe16(&table[kHeaderSize + 2 * m], static_cast<uint16_t>(block));
    const auto& events = macros[m];
    StoreLe16(&table[block], static_cast<uint16_t>(events.size()));
    size_t at = block + kBlockHeaderSize;
    for (const MacroDeviceEvent& event : events) {
      StoreLe16(&table[at], event.delay);
      table[at + 2] = event.type;
      table[at + 3] = event.button;
      at += kEventSize;
    }
    block = at;
  }
  return table;
}

uint16_t MacroTable::DelayFromText(const std::string& text) {
  uint32_t value = 0;
  if (text.empty()) return 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = (value * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFFFFu;
  }
  return static_cast<uint16_t>(value & 0xFFFF);
}

std::vector<MacroDeviceEvent> MacroTable::EventsFromJson(const Json::Value& events) {
  std::vector<MacroDeviceEvent> result;
  if (!events.isArray()) return result;
  result.reserve(events.size());
  for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
    const Json::Value& event = events[i];
    MacroDeviceEvent device;
    device.delay = DelayFromText(JsonString(MemberOrNull(event, "Delay")));
    const bool down = JsonString(MemberOrNull(event, "Action")) == "down";
    device.type = static_cast<uint8_t>((JsonInt(MemberOrNull(event, "Type")) & 0x7F) | (down ? 0x80 : 0));
    device.button = static_cast<uint8_t>(JsonInt(MemberOrNull(event, "Button")));
    result.push_back(device);
  }
  return result;
}

}  // namespace zt640
