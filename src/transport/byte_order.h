#pragma once

#include <cstddef>
#include <cstdint>

namespace zt640 {

/// Little-endian field access for device records and packets.
[[nodiscard]] constexpr uint16_t LoadLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

constexpr void StoreLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value & 0xFF);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace zt640
