#include "platform/hid/hidraw_node.h"

#include <cstdio>

namespace zt640::platform {

std::string HidrawNode::InterfacePath(size_t collection_index) const {
  char identity[64];
  std::snprintf(identity, sizeof identity, "#vid_%04x&pid_%04x", unsigned{vendor_id},
                unsigned{product_id});
  std::string path = node_path + identity;
  if (interface_number) {
    std::snprintf(identity, sizeof identity, "&mi_%02x", unsigned{*interface_number});
    path += identity;
  }
  if (collections.size() > 1) {
    std::snprintf(identity, sizeof identity, "&col%02zx", collection_index + 1);
    path += identity;
  }
  return path;
}

}  // namespace zt640::platform
