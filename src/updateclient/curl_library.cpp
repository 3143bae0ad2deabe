#include "updateclient/curl_library.h"

#include "platform/diag/debug_output.h"

namespace zt640 {

std::unique_ptr<CurlLibrary> CurlLibrary::Open(const std::string& file_name, std::string* reason) {
  std::unique_ptr<CurlLibrary> curl(new CurlLibrary());
  curl->library_ = platform::DynamicLibrary::Open(file_name, reason);
  if (!curl->library_) return nullptr;
  const platform::DynamicLibrary& library = *curl->library_;
  std::string missing;
  const auto bind = [&library, &missing](const char* name, auto& target) {
    if (library.Bind(name, target)) return true;
    missing = name;
    return false;
  };
  const bool complete = bind("curl_global_init", curl->global_init) &&
                        bind("curl_easy_init", curl->easy_init) &&
                        bind("curl_easy_cleanup", curl->easy_cleanup) &&
                        bind("curl_easy_setopt", curl->easy_setopt) &&
                        bind("curl_easy_getinfo", curl->easy_getinfo) &&
                        bind("curl_easy_perform", curl->easy_perform) &&
                        bind("curl_easy_strerror", curl->easy_strerror) &&
                        bind("curl_multi_init", curl->multi_init) &&
                        bind("curl_multi_cleanup", curl->multi_cleanup) &&
                        bind("curl_multi_add_handle", curl->multi_add_handle) &&
                        bind("curl_multi_remove_handle", curl->multi_remove_handle) &&
                        bind("curl_multi_perform", curl->multi_perform) &&
                        bind("curl_multi_info_read", curl->multi_info_read) &&
                        bind("curl_multi_poll", curl->multi_poll) &&
                        bind("curl_slist_append", curl->slist_append) &&
                        bind("curl_slist_free_all", curl->slist_free_all) &&
                        bind("curl_url", curl->url) &&
                        bind("curl_url_cleanup", curl->url_cleanup) &&
                        bind("curl_url_set", curl->url_set) &&
                        bind("curl_url_get", curl->url_get) &&
                        bind("curl_free", curl->free);
  if (!complete) {
    if (reason != nullptr) *reason = file_name + " lacks " + missing;
    return nullptr;  // the library is closed again with the binding
  }
  return curl;
}

CurlLibrary::~CurlLibrary() = default;

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
