#include "shell/device_table_answer.h"

#include <array>

#include "catalogue/interface_catalogue.h"

namespace zt640 {

namespace {
constexpr std::array<std::uint32_t, 4> kProgramVersion = {2, 3, 0, 2};

void Put(std::vector<std::uint8_t>& block, std::size_t& offset, std::uint32_t value) {
  if (offset + 4 > block.size()) return;
  for (int b = 0; b < 4; ++b) block[offset + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
  offset += 4;
}
}  // namespace

std::vector<std::uint8_t> DeviceTableAnswer::Build(const InterfaceCatalogue& catalogue) {
  std::vector<std::uint8_t> block(kSize, 0);
  std::size_t offset = 0;
  for (std::uint32_t part : kProgramVersion) Put(block, offset, part);
  const auto& types = catalogue.Types();
  Put(block, offset, static_cast<std::uint32_t>(types.size()));
  for (const DeviceTypeRow& type : types) {
    Put(block, offset, type.vendor_id);
    Put(block, offset, type.product_id);
    Put(block, offset, static_cast<std::uint32_t>(ToRaw(type.kind)));
  }
  return block;
}

}  // namespace zt640
