#include "platform/hid/hid_root.h"

#include <cstdlib>

namespace zt640::platform {

std::string HidRoot() {
  const char* root = std::getenv("ZT640_HID_ROOT");
  if (root == nullptr || *root == '\0') return "/";
  return root;
}

std::string JoinHidRoot(const std::string& root, const std::string& absolute) {
  std::string joined = root;
  while (!joined.empty() && joined.back() == '/') joined.pop_back();
  return joined + absolute;
}

}  // namespace zt640::platform
