#pragma once

#include <string>

namespace zt640 {

/// True for an address the update client may contact: https to any host, or
/// plain http to a loopback host (127.0.0.0/8, ::1, "localhost"), where nothing
/// on the network can tamper with the exchange. Any other scheme, an address
/// that does not parse, or one without a host is refused; so is every address
/// when libcurl cannot be loaded.
[[nodiscard]] bool IsAcceptedUpdateAddress(const std::string& address);

/// True when the address's host is a loopback host (above); false when it does not parse.
[[nodiscard]] bool IsLoopbackAddress(const std::string& address);

}  // namespace zt640
