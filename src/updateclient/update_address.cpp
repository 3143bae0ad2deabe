#include "updateclient/update_address.h"

#include <arpa/inet.h>

#include <memory>
#include <optional>
#include <string_view>

#include "updateclient/curl_library.h"

namespace zt640 {

namespace {

struct UrlDeleter {
  const CurlLibrary* curl = nullptr;
  void operator()(CURLU* url) const { curl->url_cleanup(url); }
};
struct CurlTextDeleter {
  const CurlLibrary* curl = nullptr;
  void operator()(char* text) const { curl->free(text); }
};

struct AddressParts {
  std::string scheme;  ///< lower case
  std::string host;    ///< as written, IPv6 without brackets
};

/// Parsed by the same library that makes the transfer, so the host judged here is the
/// host contacted. Nothing without the library.
std::optional<AddressParts> SplitAddress(const std::string& address) {
  const CurlLibrary* curl = CurlLibrary::Shared();
  if (curl == nullptr) return std::nullopt;
  const std::unique_ptr<CURLU, UrlDeleter> url(curl->url(), UrlDeleter{curl});
  if (!url || curl->url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return std::nullopt;
  char* scheme = nullptr;
  char* host = nullptr;
  if (curl->url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlTextDeleter> scheme_text(scheme, CurlTextDeleter{curl});
  if (curl->url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlTextDeleter> host_text(host, CurlTextDeleter{curl});
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
