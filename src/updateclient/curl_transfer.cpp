#include "updateclient/curl_transfer.h"

#include <mutex>

namespace zt640 {

namespace {

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;

/// How long one wait for socket activity lasts between two cancel checks.
constexpr int kCancelCheckMs = 50;

}  // namespace

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { (void)curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLcode PerformTransfer(CURL* easy, const std::function<bool()>& cancelled) {
  if (!cancelled) return curl_easy_perform(easy);
  const MultiHandle multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode code = CURLE_RECV_ERROR;  // kept when the multi interface itself fails
  int running = 1;
  while (running != 0) {
    if (cancelled()) {
      code = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) code = message->data.result;
      }
      break;
    }
    if (curl_multi_poll(multi.get(), nullptr, 0, kCancelCheckMs, nullptr) != CURLM_OK) break;
  }
  (void)curl_multi_remove_handle(multi.get(), easy);  // fails only for a handle it never held
  return code;
}

}  // namespace zt640
