#include "devices/remembered_key_match.h"

#include <algorithm>

namespace zt640 {

void RememberedKeyMatch::Complete(std::span<const KeyAssignment> factory, std::span<const uint8_t> remembered,
                                  unsigned key_count, std::span<uint8_t> device_keys) {
  const size_t ui_keys = std::min(factory.size(), device_keys.size());
  const auto remembered_key = [&](size_t j) -> uint8_t {
    if (j >= remembered.size() || remembered[j] == kNone || remembered[j] >= key_count) return kNone;
    return remembered[j];
  };
  // Whether a UI key with a factory value other than j's holds device key k
  // in `keys` (a function of the UI key index).
  const auto held_by_other = [&](size_t j, uint8_t k, auto keys) {
    for (size_t other = 0; other < ui_keys; ++other) {
      if (other != j && keys(other) == k && !(factory[other] == factory[j])) return true;
    }
    return false;
  };

  for (size_t j = 0; j < ui_keys; ++j) {
    const uint8_t k = device_keys[j];
    if (k == kNone || remembered_key(j) == k) continue;
    if (held_by_other(j, k, remembered_key)) device_keys[j] = kNone;
  }
  for (size_t j = 0; j < ui_keys; ++j) {
    const uint8_t k = remembered_key(j);
    if (device_keys[j] != kNone || k == kNone) continue;
    if (!held_by_other(j, k, [&](size_t other) { return device_keys[other]; })) device_keys[j] = k;
  }
}

}  // namespace zt640
