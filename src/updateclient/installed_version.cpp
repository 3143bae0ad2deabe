#include "updateclient/installed_version.h"

namespace zt640 {

uint32_t ParseDisplayVersion(const std::string& text) {
  uint32_t value = 0;
  for (const char c : text) {
    if (c == '.') continue;
    if (c < '0' || c > '9') break;
    const uint32_t digit = static_cast<uint32_t>(c - '0');
    if (value > (UINT32_MAX - digit) / 10) return UINT32_MAX;  // saturates like strtoul
    value = value * 10 + digit;
  }
  return value;
}

uint32_t ReadInstalledVersion() { return ParseDisplayVersion(ZT640_VERSION_TEXT); }

}  // namespace zt640
