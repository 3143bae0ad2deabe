#include "platform/sync/thread_name.h"

#include <pthread.h>

#include <string>

namespace zt640::platform {

void NameThisThread(std::string_view name) {
  constexpr std::size_t kKernelLimit = 15;
  const std::string cut(name.substr(0, kKernelLimit));
  (void)pthread_setname_np(pthread_self(), cut.c_str());  // only fails for an over-long name
}

}  // namespace zt640::platform
