#include "platform/diag/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace zt640::platform {

bool DebugOutputEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("ZT640_DEBUG");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void DebugOutput(std::string_view line) {
  if (!DebugOutputEnabled()) return;
  static std::mutex mutex;
  std::string text(line);
  text.push_back('\n');
  std::lock_guard lock(mutex);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace zt640::platform
