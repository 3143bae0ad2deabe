#pragma once

// A listening SOCK_SEQPACKET socket standing in for a hidraw node: one message
// is one report, as a hidraw descriptor moves them.

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

class FakeNode {
 public:
  explicit FakeNode(const std::string& path) : path_(path) {
    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             ::listen(listener_, 8) == 0;
  }
  ~FakeNode() {
    Unplug();
    if (listener_ >= 0) ::close(listener_);
  }
  FakeNode(const FakeNode&) = delete;
  FakeNode& operator=(const FakeNode&) = delete;

  [[nodiscard]] bool bound() const { return bound_; }

  /// Takes the client that connected since the last call.
  bool Accept() {
    pollfd fd{listener_, POLLIN, 0};
    if (::poll(&fd, 1, 2000) != 1) return false;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return false;
    clients_.push_back(client);
    return true;
  }

  /// Sends one report to every client.
  void Send(const std::vector<uint8_t>& report) {
    for (int client : clients_) {
      [[maybe_unused]] const ssize_t n = ::send(client, report.data(), report.size(), MSG_NOSIGNAL);
    }
  }

  /// The next report a client wrote, waiting up to timeout_ms.
  std::optional<std::vector<uint8_t>> Receive(int timeout_ms = 2000) {
    for (int client : clients_) {
      pollfd fd{client, POLLIN, 0};
      if (::poll(&fd, 1, timeout_ms) != 1) continue;
      std::vector<uint8_t> report(70000);
      const ssize_t n = ::recv(client, report.data(), report.size(), 0);
      if (n <= 0) continue;
      report.resize(static_cast<size_t>(n));
      return report;
    }
    return std::nullopt;
  }

  /// Closes every client connection and removes the node, as an unplug does.
  void Unplug() {
    for (int client : clients_) ::close(client);
    clients_.clear();
    ::unlink(path_.c_str());
  }

 private:
  std::string path_;
  int listener_ = -1;
  bool bound_ = false;
  std::vector<int> clients_;
};

}  // namespace zt640::test
