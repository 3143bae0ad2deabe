#pragma once

#include <cstdint>
#include <vector>

namespace zt640 {

class InterfaceCatalogue;

/// The answer to another program's device table query: 1024 bytes of 32-bit
/// little-endian integers: the four parts of the program version, the number of
/// device types, then vendor id, product id and kind of each type in table order;
/// the rest zero.
class DeviceTableAnswer {
 public:
  static constexpr std::size_t kSize = 1024;
  static constexpr std::uint64_t kCopyDataKind = 5;
  static constexpr char kQueryWindowTitle[] = "WorkTool";

  [[nodiscard]] static std::vector<std::uint8_t> Build(const InterfaceCatalogue& catalogue);
};

}  // namespace zt640
