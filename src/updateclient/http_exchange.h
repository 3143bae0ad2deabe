#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zt640 {

class CurlLibrary;

/// The most reply bytes an exchange keeps. The service answers with a short JSON
/// object; a longer reply is discarded whole rather than cut (a cut reply could
/// still parse as something the service never said).
inline constexpr std::size_t kReplyCapacity = 102400;

/// Time allowed for the phases of one exchange. Name resolution is covered by the
/// connect time. The whole exchange never takes longer than the sum of the three,
/// so a service that trickles its reply cannot hold the caller.
struct ExchangeTimeouts {
  std::chrono::milliseconds connect{60000};
  std::chrono::milliseconds send{30000};
  std::chrono::milliseconds receive{30000};
};

/// How an exchange ended.
enum class ExchangeOutcome {
  kReplied,     ///< sent, and the whole reply read into the body
  kNotSent,     ///< the request never went out (name, connection, TLS, certificate)
  kTimedOut,    ///< sent, but the reply was not complete in time
  kBroken,      ///< sent, but the connection failed before the reply was complete
  kTooLarge,    ///< the reply exceeded kReplyCapacity
  kUnusable,    ///< the method or the address was refused; nothing was sent
  kCancelled,   ///< the caller's cancel check said stop
};

/// Asked about every 50 ms during an exchange; true ends it at once. May be empty.
using ExchangeCancel = std::function<bool()>;

/// The reply of one exchange. The body holds the reply bytes for kReplied,
/// the text "NO_LINK_SERVER" for kNotSent, and nothing otherwise.
struct ExchangeReply {
  std::string body;
  ExchangeOutcome outcome = ExchangeOutcome::kUnusable;
};

/// The user agent every request names.
inline constexpr const char* kUpdateUserAgent = "WinHTTP Client/1.0";

/// One HTTP exchange with the update service. `method` is "GET" or "POST" (any
/// case); `address` must pass IsAcceptedUpdateAddress. The request carries the
/// headers "Content-Length", "Content-Type: application/x-www-form-urlencoded" and
/// "Accept:application/prs.Vornik.v1+json"; the proxy comes from the environment
/// (http_proxy, https_proxy, no_proxy), never for a loopback address.
/// Certificates are verified. Redirects are not followed. The HTTP status is not
/// checked: the body is what the caller judges.
/// Returns the number of reply bytes kept (0 unless kReplied), or -1 when the
/// method or the address is unusable.
[[nodiscard]] long HttpExchange(std::string_view method, const std::string& address, std::string_view body,
                                const ExchangeTimeouts& timeouts, ExchangeReply& reply,
                                const ExchangeCancel& cancelled = {});

/// The same exchange through `curl` instead of the shared binding. A null
/// binding (libcurl could not be loaded) sends nothing and ends as kNotSent, as when
/// the service cannot be reached.
[[nodiscard]] long HttpExchange(const CurlLibrary* curl, std::string_view method, const std::string& address,
                                std::string_view body, const ExchangeTimeouts& timeouts, ExchangeReply& reply,
                                const ExchangeCancel& cancelled = {});

}  // namespace zt640
