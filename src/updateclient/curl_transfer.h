#pragma once

#include <curl/curl.h>

#include <functional>
#include <memory>

namespace zt640 {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasyHandle = std::unique_ptr<CURL, CurlEasyDeleter>;

/// libcurl's process-wide set-up, done once before the first handle. A failed
/// set-up shows as curl_easy_init() returning null.
void InitialiseCurlOnce();

/// Runs the transfer of `easy` to its end. When `cancelled` is given it is asked
/// at least every 50 ms, also while nothing arrives; true ends the transfer with
/// CURLE_ABORTED_BY_CALLBACK.
[[nodiscard]] CURLcode PerformTransfer(CURL* easy, const std::function<bool()>& cancelled);

}  // namespace zt640
