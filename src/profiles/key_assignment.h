#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zt640 {

/// What a key or button does: three bytes, in this order on the device and in
/// memory. Profiles store it packed as type << 16 | param1 << 8 | param2.
struct KeyAssignment {
  uint8_t type = 0;
  uint8_t param1 = 0;
  uint8_t param2 = 0;

  static constexpr size_t kSize = 3;

  /// The 24-bit profile integer.
  [[nodiscard]] constexpr int32_t Pack() const { return type << 16 | param1 << 8 | param2; }
  /// The three bytes of a profile integer; bits 24-31 are ignored.
  [[nodiscard]] static constexpr KeyAssignment Unpack(int64_t packed) {
    return KeyAssignment{static_cast<uint8_t>((packed >> 16) & 0xFF), static_cast<uint8_t>((packed >> 8) & 0xFF),
                         static_cast<uint8_t>(packed & 0xFF)};
  }
  friend constexpr bool operator==(const KeyAssignment&, const KeyAssignment&) = default;
};
static_assert(sizeof(KeyAssignment) == KeyAssignment::kSize);

/// One key's assignment with the key's position in the device's key list.
struct KeyRecord {
  uint16_t key_index = 0;
  KeyAssignment assignment;
  uint8_t spare = 0;  ///< always 0

  static constexpr size_t kSize = 6;
  static constexpr size_t kKeyIndexOffset = 0;
  static constexpr size_t kAssignmentOffset = 2;
  static constexpr size_t kSpareOffset = 5;

  /// The device image: key index little-endian, the three bytes, the spare byte.
  [[nodiscard]] std::array<uint8_t, kSize> ToBytes() const;
  [[nodiscard]] static KeyRecord FromBytes(const std::array<uint8_t, kSize>& bytes);
};

/// Two records assign the same when type, param1 and param2 agree; the key
/// index and spare byte take no part.
[[nodiscard]] constexpr bool SameAssignment(const KeyRecord& a, const KeyRecord& b) {
  return a.assignment == b.assignment;
}

/// One key of a device: what it does now and what it does out of the box.
struct KeyListEntry {
  KeyRecord current;
  KeyRecord defaults;

  static constexpr size_t kSize = 12;
  [[nodiscard]] std::array<uint8_t, kSize> ToBytes() const;
};

}  // namespace zt640
