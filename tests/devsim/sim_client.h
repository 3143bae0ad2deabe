#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace zt640::test {

/// A raw client of one socket device node, as a hidraw reader/writer sees it.
class SimClient {
 public:
  explicit SimClient(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~SimClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  SimClient(const SimClient&) = delete;
  SimClient& operator=(const SimClient&) = delete;

  [[nodiscard]] bool Connected() const { return fd_ >= 0; }

  bool Send(const std::vector<uint8_t>& report) {
    return ::send(fd_, report.data(), report.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(report.size());
  }

  /// One report, or nullopt on time-out; an empty vector means end of stream.
  std::optional<std::vector<uint8_t>> Receive(int timeout_ms = 2000) {
    pollfd fd{fd_, POLLIN, 0};
    if (::poll(&fd, 1, timeout_ms) <= 0) return std::nullopt;
    std::vector<uint8_t> buffer(4096);
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (n <= 0) return std::vector<uint8_t>{};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
  }

 private:
  int fd_ = -1;
};

}  // namespace zt640::test
