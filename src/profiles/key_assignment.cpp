#include "profiles/key_assignment.h"

#include <algorithm>

#include "transport/byte_order.h"

namespace zt640 {

std::array<uint8_t, KeyRecord::kSize> KeyRecord::ToBytes() const {
  std::array<uint8_t, kSize> bytes{};
  StoreLe16(bytes.data() + kKeyIndexOffset, key_index);
  bytes[kAssignmentOffset] = assignment.type;
  bytes[kAssignmentOffset + 1] = assignment.param1;
  bytes[kAssignmentOffset + 2] = assignment.param2;
  bytes[kSpareOffset] = spare;
  return bytes;
}

KeyRecord KeyRecord::FromBytes(const std::array<uint8_t, kSize>& bytes) {
  KeyRecord record;
  record.key_index = LoadLe16(bytes.data() + kKeyIndexOffset);
  record.assignment = {bytes[kAssignmentOffset], bytes[kAssignmentOffset + 1], bytes[kAssignmentOffset + 2]};
  record.spare = bytes[kSpareOffset];
  return record;
}

std::array<uint8_t, KeyListEntry::kSize> KeyListEntry::ToBytes() const {
  std::array<uint8_t, kSize> bytes{};
  const auto first = current.ToBytes();
  const auto second = defaults.ToBytes();
  std::copy(first.begin(), first.end(), bytes.begin());
  std::copy(second.begin(), second.end(), bytes.begin() + KeyRecord::kSize);
  return bytes;
}

}  // namespace zt640
