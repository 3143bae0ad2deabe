// Feeds arbitrary bytes as "devices.json" to the catalogue and checks that the
// rows that may not change keep their ids and the device types stay findable
// by their cable rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profiles/devices_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zt640::InterfaceCatalogue catalogue;
  const zt640::DevicesJson::Result result =
      zt640::DevicesJson::ApplyText(std::string_view(reinterpret_cast<const char*>(data), size), catalogue);
  if (result.rows_applied > 0 && !result.parsed) std::abort();
  const zt640::InterfaceCatalogue built_in;
  for (std::size_t row = 0; row < zt640::InterfaceCatalogue::kFirstConfigurableRow; ++row) {
    if (catalogue.Rows()[row].vendor_id != built_in.Rows()[row].vendor_id ||
        catalogue.Rows()[row].product_id != built_in.Rows()[row].product_id) {
      std::abort();
    }
  }
  if (catalogue.FindDeviceType(0x320F, 0x505B, zt640::DeviceKind::kKeyboard, 0) !=
      zt640::InterfaceCatalogue::kKeyboardType) {
    std::abort();
  }
  return 0;
}
