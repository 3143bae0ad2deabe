#pragma once

#include <cstdint>
#include <span>

#include "profiles/key_assignment.h"

namespace zt640 {

/// Completes a match of UI keys (or buttons) to device keys found by factory
/// values with the last match remembered for the same device model. A key
/// reassigned on the device no longer shows its factory value, so the factory
/// rule alone loses it after the next connect, and may instead find its value
/// where another key was given a copy of it.
class RememberedKeyMatch {
 public:
  static constexpr uint8_t kNone = 255;

  /// `device_keys[j]` holds the factory-value match of UI key j (kNone: none),
  /// `factory[j]` its factory value, `remembered[j]` its remembered device key
  /// (kNone, missing or not below `key_count`: unknown). The factory match
  /// stays the first choice, with two changes where a remembered match exists:
  /// - a factory match on a device key remembered for a UI key with another
  ///   factory value is dropped: that key was reassigned to a copy of j's value;
  /// - a UI key left without a device key takes its remembered one, unless a
  ///   UI key with another factory value already has that device key.
  /// UI keys sharing a factory value may share a device key.
  static void Complete(std::span<const KeyAssignment> factory, std::span<const uint8_t> remembered,
                       unsigned key_count, std::span<uint8_t> device_keys);
};

}  // namespace zt640
