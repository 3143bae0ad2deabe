#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "profiles/key_assignment.h"

namespace zt640 {

/// Matches the keyboard's 126 UI keys to its device keys and light positions
/// by the factory value each UI key carries, completed by the match last
/// remembered for the keyboard's model (RememberedKeyMatch).
class KeyboardKeyMatcher {
 public:
  static constexpr int kUiKeyCount = 126;
  static constexpr size_t kMapSize = 170;
  static constexpr uint8_t kNone = 255;
  using KeyMap = std::array<uint8_t, kMapSize>;

  [[nodiscard]] static const std::array<KeyAssignment, kUiKeyCount>& FactoryValues();

  /// For each UI key the first device key below `key_count` whose 3-byte
  /// entry in `key_table` equals the key's factory value, completed with
  /// `remembered` (device key per UI key, may be empty); then its light
  /// position from `light_map`. Unmatched keys (and positions the light map
  /// lacks) stay 255; light positions of 170 or more are ignored.
  static void Match(std::span<const uint8_t> key_table, std::span<const uint8_t> light_map,
                    unsigned key_count, KeyMap* device_keys, KeyMap* light_positions,
                    std::span<const uint8_t> remembered = {});
};

}  // namespace zt640
