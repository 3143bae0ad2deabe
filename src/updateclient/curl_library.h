#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/dl/dynamic_library.h"

namespace zt640 {

/// libcurl bound at run time. The program does not link it: the library and its two
/// dozen TLS, Kerberos and LDAP dependencies are loaded when the first update
/// exchange runs, not at every start. The members are libcurl's functions of the
/// same names without the "curl_" prefix; only the header is needed to build.
class CurlLibrary {
 public:
  /// The file the shared binding loads: libcurl's run-time name.
  static constexpr const char* kFileName = "libcurl.so.4";

  /// The process-wide binding, loaded and set up (curl_global_init) by the first
  /// call from any thread and kept to the end of the process. Null when the library,
  /// one of its functions or its set-up is missing (the reason goes to the
  /// diagnostics once); every later call answers the same.
  [[nodiscard]] static const CurlLibrary* Shared();

  /// Loads `file_name` into a binding of its own, without the global set-up. Null,
  /// with the reason in `reason` when given, when the file cannot be loaded or lacks
  /// one of the functions.
  [[nodiscard]] static std::unique_ptr<CurlLibrary> Open(const std::string& file_name, std::string* reason = nullptr);

  CurlLibrary(const CurlLibrary&) = delete;
  CurlLibrary& operator=(const CurlLibrary&) = delete;
  ~CurlLibrary();

  CURLcode (*global_init)(long flags) = nullptr;
  CURL* (*easy_init)() = nullptr;
  void (*easy_cleanup)(CURL* easy) = nullptr;
  CURLcode (*easy_setopt)(CURL* easy, CURLoption option, ...) = nullptr;
  CURLcode (*easy_getinfo)(CURL* easy, CURLINFO info, ...) = nullptr;
  CURLcode (*easy_perform)(CURL* easy) = nullptr;
  const char* (*easy_strerror)(CURLcode code) = nullptr;
  CURLM* (*multi_init)() = nullptr;
  CURLMcode (*multi_cleanup)(CURLM* multi) = nullptr;
  CURLMcode (*multi_add_handle)(CURLM* multi, CURL* easy) = nullptr;
  CURLMcode (*multi_remove_handle)(CURLM* multi, CURL* easy) = nullptr;
  CURLMcode (*multi_perform)(CURLM* multi, int* running) = nullptr;
  CURLMsg* (*multi_info_read)(CURLM* multi, int* left) = nullptr;
  CURLMcode (*multi_poll)(CURLM* multi, curl_waitfd* extra, unsigned int extra_count, int timeout_ms,
                          int* ready) = nullptr;
  curl_slist* (*slist_append)(curl_slist* list, const char* line) = nullptr;
  void (*slist_free_all)(curl_slist* list) = nullptr;
  CURLU* (*url)() = nullptr;
  void (*url_cleanup)(CURLU* url) = nullptr;
  CURLUcode (*url_set)(CURLU* url, CURLUPart part, const char* text, unsigned int flags) = nullptr;
  CURLUcode (*url_get)(const CURLU* url, CURLUPart part, char** text, unsigned int flags) = nullptr;
  void (*free)(void* text) = nullptr;

 private:
  CurlLibrary() = default;

  std::unique_ptr<platform::DynamicLibrary> library_;  ///< the functions above point into it
};

}  // namespace zt640
