#pragma once

#include <cstdint>
#include <string_view>

namespace zt640 {

/// Parsers for the identity fields embedded in an interface path such as
/// "/dev/hidraw5#vid_320f&pid_505b&mi_01&col04". Each finds its key ignoring
/// case and reads the hexadecimal number after it, ending at the first
/// character that is no hex digit; an absent key or no digits give 0.
class DevicePath {
 public:
  [[nodiscard]] static uint16_t ParseVid(std::string_view path);
  [[nodiscard]] static uint16_t ParsePid(std::string_view path);
  [[nodiscard]] static uint16_t ParseInterfaceNumber(std::string_view path);
  [[nodiscard]] static uint16_t ParseCollectionNumber(std::string_view path);
};

}  // namespace zt640
