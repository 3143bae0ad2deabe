#include "platform/dl/dynamic_library.h"

#include <dlfcn.h>

namespace zt640::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& file_name, std::string* reason) {
  void* handle = dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    if (reason != nullptr) *reason = "cannot load " + file_name + ": " + (error != nullptr ? error : "unknown error");
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() { (void)dlclose(handle_); }  // fails only for a handle dlopen never gave

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace zt640::platform
