#include "updateclient/update_address.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string_view>

namespace zt640 {

namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
  void operator()(char* text) const { curl_free(text); }
};

struct AddressParts {
  std::string scheme;  ///< lower case
  std::string host;    ///< as written, IPv6 without brackets
};

std::optional<AddressParts> SplitAddress(const std::string& address) {
  const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return std::nullopt;
  char* scheme = nullptr;
  char* host = nullptr;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlTextDeleter> scheme_text(scheme);
  if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlTextDeleter> host_text(host);
  AddressParts parts{scheme_text.get(), host_text.get()};
  for (char& c : parts.scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (parts.host.size() >= 2 && parts.host.front() == '[' && parts.host.back() == ']') {
    parts.host = parts.host.substr(1, parts.host.size() - 2);
  }
  if (parts.host.empty()) return std::nullopt;
  return parts;
}

bool IsLoopbackHost(const std::string& host) {
  if (host == "localhost") return true;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    const in6_addr loopback = IN6ADDR_LOOPBACK_INIT;
    return std::string_view(reinterpret_cast<const char*>(&v6), sizeof v6) ==
           std::string_view(reinterpret_cast<const char*>(&loopback), sizeof loopback);
  }
  return false;
}

}  // namespace

bool IsLoopbackAddress(const std::string& address) {
  const auto parts = SplitAddress(address);
  return parts && IsLoopbackHost(parts->host);
}

bool IsAcceptedUpdateAddress(const std::string& address) {
  const auto parts = SplitAddress(address);
  if (!parts) return false;
  if (parts->scheme == "https") return true;
  return parts->scheme == "http" && IsLoopbackHost(parts->host);
}

}  // namespace zt640
