#include "platform/paths/name_hash.h"

#include <cstdio>

namespace zt640::platform {

std::uint64_t NameHash(std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string NameHashHex(std::string_view name) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(NameHash(name)));
  return text;
}

}  // namespace zt640::platform
