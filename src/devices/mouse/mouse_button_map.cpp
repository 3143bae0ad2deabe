#include "devices/mouse/mouse_button_map.h"

#include <algorithm>

#include "devices/remembered_key_match.h"
#include "profiles/key_tables.h"

namespace zt640 {
namespace {

using namespace key_type;

// Mouse button bits of param1 (type 0x10) and the DPI actions (type 0x13).
constexpr std::array<KeyAssignment, MouseButtonMap::kButtonCount> kFactoryValues = {{
    {kMouseButton, 0x01, 0x00},  // left
    {kMouseButton, 0x02, 0x00},  // right
    {kMouseButton, 0x04, 0x00},  // middle
    {kMouseButton, 0x10, 0x00},  // forward
    {kMouseButton, 0x08, 0x00},  // back
    {kDpiAction, 0x01, 0x00},    // DPI up
    {kDpiAction, 0x02, 0x00},    // DPI down
    {kDpiAction, 0x03, 0x00},    // DPI cycle
    {kSpecialKey, 0x1B, 0x00},   // GM key
    {kDpiShift, 0x90, 0x01},     // DPI shift to 0x0190
    {kFireKey, 0x78, 0x02},      // fire key: interval 0x78, two shots
}};

}  // namespace

KeyAssignment MouseButtonMap::FactoryValue(size_t button) {
  return button < kButtonCount ? kFactoryValues[button] : KeyAssignment{};
}

MouseButtonMap::MouseButtonMap() { positions_.fill(kAbsent); }

MouseButtonMap MouseButtonMap::Match(std::span<const uint8_t> table, unsigned key_count,
                                     std::span<const uint8_t> remembered) {
  MouseButtonMap map;
  // A position must fit the map's byte and must not read as "absent".
  const size_t keys = std::min<size_t>({key_count, table.size() / KeyAssignment::kSize, size_t{kAbsent}});
  for (size_t j = 0; j < kButtonCount; ++j) {
    const KeyAssignment wanted = kFactoryValues[j];
    for (size_t k = 0; k < keys; ++k) {
      const KeyAssignment value{table[3 * k], table[3 * k + 1], table[3 * k + 2]};
      if (value == wanted) {
        map.positions_[j] = static_cast<uint8_t>(k);
        break;
      }
    }
  }
  std::array<uint8_t, kButtonCount> completed = map.RememberedForm();
  RememberedKeyMatch::Complete(kFactoryValues, remembered, static_cast<unsigned>(keys), completed);
  for (size_t j = 0; j < kButtonCount; ++j) {
    map.positions_[j] = completed[j] == RememberedKeyMatch::kNone ? kAbsent : completed[j];
  }
  return map;
}

std::array<uint8_t, MouseButtonMap::kButtonCount> MouseButtonMap::RememberedForm() const {
  std::array<uint8_t, kButtonCount> form{};
  for (size_t j = 0; j < kButtonCount; ++j) form[j] = positions_[j] == kAbsent ? RememberedKeyMatch::kNone : positions_[j];
  return form;
}

}  // namespace zt640
