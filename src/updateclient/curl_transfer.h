#pragma once

#include <functional>
#include <memory>

#include "updateclient/curl_library.h"

namespace zt640 {

/// An easy handle, cleaned up through the binding that made it.
struct CurlEasyDeleter {
  const CurlLibrary* curl = nullptr;
  void operator()(CURL* handle) const { curl->easy_cleanup(handle); }
};
using CurlEasyHandle = std::unique_ptr<CURL, CurlEasyDeleter>;

/// A new easy handle of `curl`; null when libcurl cannot make one.
[[nodiscard]] CurlEasyHandle MakeEasyHandle(const CurlLibrary& curl);

/// Runs the transfer of `easy` to its end. When `cancelled` is given it is asked
/// at least every 50 ms, also while nothing arrives; true ends the transfer with
/// CURLE_ABORTED_BY_CALLBACK.
[[nodiscard]] CURLcode PerformTransfer(const CurlLibrary& curl, CURL* easy, const std::function<bool()>& cancelled);

}  // namespace zt640
