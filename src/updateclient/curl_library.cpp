#include "updateclient/curl_library.h"

#include <dlfcn.h>

#include "platform/diag/debug_output.h"

namespace zt640 {

namespace {

/// Points `target` at the library's function `name`; false, naming it in `missing`, when absent.
template <typename Function>
bool Bind(void* handle, const char* name, Function*& target, std::string* missing) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) {
    *missing = name;
    return false;
  }
  target = reinterpret_cast<Function*>(symbol);
  return true;
}

}  // namespace

std::unique_ptr<CurlLibrary> CurlLibrary::Open(const std::string& file_name, std::string* reason) {
  std::unique_ptr<CurlLibrary> library(new CurlLibrary());
  library->handle_ = dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library->handle_ == nullptr) {
    const char* error = dlerror();
    if (reason != nullptr) *reason = "cannot load " + file_name + ": " + (error != nullptr ? error : "unknown error");
    return nullptr;
  }
  void* handle = library->handle_;
  CurlLibrary& curl = *library;
  std::string missing;
  const bool complete = Bind(handle, "curl_global_init", curl.global_init, &missing) &&
                        Bind(handle, "curl_easy_init", curl.easy_init, &missing) &&
                        Bind(handle, "curl_easy_cleanup", curl.easy_cleanup, &missing) &&
                        Bind(handle, "curl_easy_setopt", curl.easy_setopt, &missing) &&
                        Bind(handle, "curl_easy_getinfo", curl.easy_getinfo, &missing) &&
                        Bind(handle, "curl_easy_perform", curl.easy_perform, &missing) &&
                        Bind(handle, "curl_easy_strerror", curl.easy_strerror, &missing) &&
                        Bind(handle, "curl_multi_init", curl.multi_init, &missing) &&
                        Bind(handle, "curl_multi_cleanup", curl.multi_cleanup, &missing) &&
                        Bind(handle, "curl_multi_add_handle", curl.multi_add_handle, &missing) &&
                        Bind(handle, "curl_multi_remove_handle", curl.multi_remove_handle, &missing) &&
                        Bind(handle, "curl_multi_perform", curl.multi_perform, &missing) &&
                        Bind(handle, "curl_multi_info_read", curl.multi_info_read, &missing) &&
                        Bind(handle, "curl_multi_poll", curl.multi_poll, &missing) &&
                        Bind(handle, "curl_slist_append", curl.slist_append, &missing) &&
                        Bind(handle, "curl_slist_free_all", curl.slist_free_all, &missing) &&
                        Bind(handle, "curl_url", curl.url, &missing) &&
                        Bind(handle, "curl_url_cleanup", curl.url_cleanup, &missing) &&
                        Bind(handle, "curl_url_set", curl.url_set, &missing) &&
                        Bind(handle, "curl_url_get", curl.url_get, &missing) &&
                        Bind(handle, "curl_free", curl.free, &missing);
  if (!complete) {
    if (reason != nullptr) *reason = file_name + " lacks " + missing;
    return nullptr;  // the destructor closes the library again
  }
  return library;
}

CurlLibrary::~CurlLibrary() {
  if (handle_ != nullptr) (void)dlclose(handle_);  // fails only for a handle dlopen never gave
}

const CurlLibrary* CurlLibrary::Shared() {
  // Never closed: a worker cut loose at exit may still be inside a transfer.
  static const CurlLibrary* const shared = [] {
    std::string reason;
    std::unique_ptr<CurlLibrary> library = Open(kFileName, &reason);
    if (library && library->global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      reason = "libcurl's set-up failed";
      library.reset();
    }
    if (!library) platform::DebugOutput("no update exchanges: " + reason);
    return library.release();
  }();
  return shared;
}

}  // namespace zt640
