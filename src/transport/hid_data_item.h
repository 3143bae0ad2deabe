#pragma once

#include <cstdint>
#include <vector>

#include "platform/hid/hid_types.h"

namespace zt640 {

/// One unit of report data of an open interface: a button item (one per button
/// capability: the usages found on in the last unpacked report) or a value item
/// (one per value usage: its raw and scaled value).
struct HidDataItem {
  uint8_t is_button = 0;
  uint8_t reserved = 0;
  uint16_t usage_page = 0;
  /// Last parser status for this item; HIDP_STATUS_SUCCESS when built.
  uint32_t status = platform::HIDP_STATUS_SUCCESS;
  uint32_t report_id = 0;
  /// Set once UnpackReport has filled the item.
  uint32_t is_data_set = 0;

  // Button items.
  int32_t usage_minimum = 0;
  int32_t usage_maximum = 0;
  uint32_t maximum_usage_list_length = 0;
  /// maximum_usage_list_length entries; the kept usages first, then zeros.
  std::vector<uint16_t> usages;

  // Value items.
  uint16_t usage = 0;
  uint16_t value_reserved = 0;
  uint32_t value = 0;
  int32_t scaled_value = 0;
};

}  // namespace zt640
