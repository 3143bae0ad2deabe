#include "updateclient/http_exchange.h"

#include <strings.h>

#include <memory>

#include "platform/diag/debug_output.h"
#include "updateclient/curl_library.h"
#include "updateclient/curl_transfer.h"
#include "updateclient/update_address.h"

namespace zt640 {

namespace {

struct HeaderListDeleter {
  const CurlLibrary* curl = nullptr;
  void operator()(curl_slist* list) const { curl->slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

/// Where the write callback collects the reply, and whether it overflowed.
struct ReplySink {
  std::string* body = nullptr;
  bool overflowed = false;
};

size_t CollectReply(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<ReplySink*>(user);
  const size_t bytes = size * count;
  if (bytes > kReplyCapacity - sink->body->size()) {
    sink->overflowed = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  sink->body->append(data, bytes);
  return bytes;
}

bool AppendHeader(const CurlLibrary& curl, HeaderList& list, const std::string& line) {
  curl_slist* grown = curl.slist_append(list.get(), line.c_str());
  if (grown == nullptr) return false;
  (void)list.release();  // now owned through `grown`
  list.reset(grown);
  return true;
}

/// The request's header lines, or null when memory ran out.
HeaderList RequestHeaders(const CurlLibrary& curl, size_t body_length) {
  HeaderList list(nullptr, HeaderListDeleter{&curl});
  const bool complete = AppendHeader(curl, list, "Content-Length: " + std::to_string(body_length)) &&
                        AppendHeader(curl, list, "Content-Type: application/x-www-form-urlencoded") &&
                        AppendHeader(curl, list, "Accept:application/prs.Vornik.v1+json") &&
                        AppendHeader(curl, list, "Expect:");  // no "100-continue" round trip
  if (!complete) list.reset();
  return list;
}

ExchangeOutcome FailedOutcome(CURLcode code, bool request_sent, bool overflowed) {
  if (code == CURLE_ABORTED_BY_CALLBACK) return ExchangeOutcome::kCancelled;
  if (overflowed) return ExchangeOutcome::kTooLarge;
  if (!request_sent) return ExchangeOutcome::kNotSent;
  if (code == CURLE_OPERATION_TIMEDOUT) return ExchangeOutcome::kTimedOut;
  return ExchangeOutcome::kBroken;
}

}  // namespace

long HttpExchange(std::string_view method, const std::string& address, std::string_view body,
                  const ExchangeTimeouts& timeouts, ExchangeReply& reply, const ExchangeCancel& cancelled) {
  return HttpExchange(CurlLibrary::Shared(), method, address, body, timeouts, reply, cancelled);
}

long HttpExchange(const CurlLibrary* curl, std::string_view method, const std::string& address, std::string_view body,
                  const ExchangeTimeouts& timeouts, ExchangeReply& reply, const ExchangeCancel& cancelled) {
  reply.body.clear();
  reply.outcome = ExchangeOutcome::kUnusable;
  const std::string method_text(method);
  const bool post = strcasecmp(method_text.c_str(), "POST") == 0;
  if (!post && strcasecmp(method_text.c_str(), "GET") != 0) return -1;
  if (curl == nullptr) {
    // Without the library nothing can be sent: the same answer as an unreachable service.
    platform::DebugOutput("update exchange failed: libcurl is not available");
    reply.outcome = ExchangeOutcome::kNotSent;
    reply.body = "NO_LINK_SERVER";
    return 0;
  }
  if (address.empty() || !IsAcceptedUpdateAddress(address)) {
    platform::DebugOutput("update address refused: " + address);
    return -1;
  }

  const CurlEasyHandle easy = MakeEasyHandle(*curl);
  HeaderList headers = RequestHeaders(*curl, body.size());
  if (!easy || !headers) return -1;
  CURL* handle = easy.get();
  ReplySink sink{&reply.body, false};
  const long connect_ms = static_cast<long>(timeouts.connect.count());
  const long total_ms = static_cast<long>((timeouts.connect + timeouts.send + timeouts.receive).count());

  bool configured = curl->easy_setopt(handle, CURLOPT_URL, address.c_str()) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_USERAGENT, kUpdateUserAgent) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connect_ms) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_TIMEOUT_MS, total_ms) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectReply) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
  // A service on this computer is never reached through a proxy.
  if (configured && IsLoopbackAddress(address)) {
    configured = curl->easy_setopt(handle, CURLOPT_NOPROXY, "*") == CURLE_OK;
  }
  if (configured && post) {
    configured = curl->easy_setopt(handle, CURLOPT_POST, 1L) == CURLE_OK &&
                 curl->easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())) == CURLE_OK &&
                 curl->easy_setopt(handle, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
  }
  if (!configured) return -1;

  const CURLcode code = PerformTransfer(*curl, handle, cancelled);
  long request_size = 0;
  const bool request_sent =
      curl->easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &request_size) == CURLE_OK && request_size > 0;
  if (code == CURLE_OK) {
    reply.outcome = ExchangeOutcome::kReplied;
    return static_cast<long>(reply.body.size());
  }
  reply.outcome = FailedOutcome(code, request_sent, sink.overflowed);
  platform::DebugOutput(std::string("update exchange failed: ") + curl->easy_strerror(code));
  reply.body = reply.outcome == ExchangeOutcome::kNotSent ? "NO_LINK_SERVER" : "";
  return 0;
}

}  // namespace zt640
