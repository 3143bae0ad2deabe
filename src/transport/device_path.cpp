#include "transport/device_path.h"

#include <cctype>

namespace zt640 {

namespace {

// Position just after the first case-insensitive occurrence of key, or npos.
size_t FindAfterKey(std::string_view path, std::string_view key) {
  if (key.empty() || path.size() < key.size()) return std::string_view::npos;
  for (size_t start = 0; start + key.size() <= path.size(); ++start) {
    bool match = true;
    for (size_t i = 0; i < key.size(); ++i) {
      const auto a = static_cast<unsigned char>(path[start + i]);
      const auto b = static_cast<unsigned char>(key[i]);
      if (std::tolower(a) != std::tolower(b)) {
        match = false;
        break;
      }
    }
    if (match) return start + key.size();
  }
  return std::string_view::npos;
}

// Reads hex digits like "%x" into a 16-bit result (the value wraps as the
// original 16-bit store does when a number is longer than four digits).
uint16_t ParseHexAfter(std::string_view path, std::string_view key) {
  size_t pos = FindAfterKey(path, key);
  if (pos == std::string_view::npos) return 0;
  uint32_t value = 0;
  for (; pos < path.size(); ++pos) {
    const auto c = static_cast<unsigned char>(path[pos]);
    if (!std::isxdigit(c)) break;
    const uint32_t digit = std::isdigit(c) ? c - '0' : (std::tolower(c) - 'a' + 10);
    value = (value << 4) | digit;
  }
  return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t DevicePath::ParseVid(std::string_view path) { return ParseHexAfter(path, "vid_"); }
uint16_t DevicePath::ParsePid(std::string_view path) { return ParseHexAfter(path, "pid_"); }
uint16_t DevicePath::ParseInterfaceNumber(std::string_view path) {
  return ParseHexAfter(path, "&mi_");
}
uint16_t DevicePath::ParseCollectionNumber(std::string_view path) {
  return ParseHexAfter(path, "&col");
}

}  // namespace zt640
