#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hidraw_node.h"

namespace zt640::platform {

/// Lists hidraw nodes from sysfs under a root folder (see HidRoot), opening no
/// device: ROOT/sys/class/hidraw/<node>/device/{uevent,report_descriptor},
/// bInterfaceNumber from the USB interface folder above it and
/// bcdDevice/bNumInterfaces from the USB device folder above that.
class HidrawEnumerator {
 public:
  /// Every node whose sysfs entries are readable and whose descriptor parses,
  /// ordered by node number; odd nodes are skipped. A missing hidraw class
  /// folder means no HID device (true, empty list); false only when the folder
  /// exists but cannot be listed.
  [[nodiscard]] static bool Enumerate(const std::string& root, std::vector<HidrawNode>* nodes);

  /// One node by name ("hidraw3"); none when its sysfs entries are missing or odd.
  [[nodiscard]] static std::optional<HidrawNode> DescribeNode(const std::string& root,
                                                              const std::string& name);

  /// Splits an interface path "ROOT/dev/hidrawN#..." into ROOT ("/" when empty)
  /// and the node name; false when the path has no such shape.
  [[nodiscard]] static bool SplitInterfacePath(const std::string& path, std::string* root,
                                               std::string* name);
};

}  // namespace zt640::platform
