#include "updateclient/curl_transfer.h"

namespace zt640 {

namespace {

struct MultiDeleter {
  const CurlLibrary* curl = nullptr;
  void operator()(CURLM* multi) const { (void)curl->multi_cleanup(multi); }  // fails only for a bad handle
};
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;

/// How long one wait for socket activity lasts between two cancel checks.
constexpr int kCancelCheckMs = 50;

}  // namespace

CurlEasyHandle MakeEasyHandle(const CurlLibrary& curl) {
  return CurlEasyHandle(curl.easy_init(), CurlEasyDeleter{&curl});
}

CURLcode PerformTransfer(const CurlLibrary& curl, CURL* easy, const std::function<bool()>& cancelled) {
  if (!cancelled) return curl.easy_perform(easy);
  const MultiHandle multi(curl.multi_init(), MultiDeleter{&curl});
  if (!multi || curl.multi_add_handle(multi.get(), easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode code = CURLE_RECV_ERROR;  // kept when the multi interface itself fails
  int running = 1;
  while (running != 0) {
    if (cancelled()) {
      code = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    if (curl.multi_perform(multi.get(), &running) != CURLM_OK) break;
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl.multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) code = message->data.result;
      }
      break;
    }
    if (curl.multi_poll(multi.get(), nullptr, 0, kCancelCheckMs, nullptr) != CURLM_OK) break;
  }
  (void)curl.multi_remove_handle(multi.get(), easy);  // fails only for a handle it never held
  return code;
}

}  // namespace zt640
