#include "updateclient/update_target.h"

#include <cstdio>

namespace zt640 {

std::string VersionText(uint32_t version, uint32_t version_format) {
  char text[16];
  if (version_format == kApplicationVersionFormat) {
    std::snprintf(text, sizeof text, "V%d", static_cast<int32_t>(version));
  } else {
    std::snprintf(text, sizeof text, "V%04x", version);
  }
  return text;
}

std::string BuildUpdateKey(const UpdateTarget& target) {
  if (target.current_version == 0) return "NULL";
  const UpdateCatalogueRow& row = target.row;
  return row.brand + "_" + std::to_string(row.version_format) + "_" + row.product_code + "_" + row.model + "_" +
         std::to_string(row.series);
}

}  // namespace zt640
