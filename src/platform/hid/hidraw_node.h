#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hid_collection.h"

namespace zt640::platform {

/// What sysfs tells about one hidraw node, read without opening the device.
struct HidrawNode {
  std::string name;       ///< "hidraw3"
  std::string node_path;  ///< ROOT/dev/hidraw3
  uint16_t bus = 0;
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t version = 0;  ///< bcdDevice of the USB device, 0 without one
  /// USB interface number, present only on a composite USB device.
  std::optional<uint8_t> interface_number;
  std::vector<uint8_t> descriptor;
  std::vector<HidCollection> collections;

  /// Interface path of one top-level collection (0-based index):
  /// "ROOT/dev/hidraw3#vid_320f&pid_505b&mi_01&col02"; "&mi_" only on a
  /// composite device, "&col" only when the node has several collections.
  [[nodiscard]] std::string InterfacePath(size_t collection_index) const;
};

}  // namespace zt640::platform
