#include "devsim/hidraw_node.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zt640::devsim {

HidrawNode::HidrawNode(std::filesystem::path path) : path_(std::move(path)) {}

HidrawNode::~HidrawNode() {
  DisconnectAll();
  listener_.Reset();
  if (bound_) ::unlink(path_.c_str());
}

bool HidrawNode::Listen(std::string* error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = path_.string();
  if (path.size() >= sizeof(address.sun_path)) {
    if (error) *error = "socket path too long (at most 107 bytes): " + path;
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  listener_ = UniqueFd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!listener_.Valid() ||
      ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    if (error) *error = "cannot bind " + path + ": " + std::strerror(errno);
    listener_.Reset();
    return false;
  }
  bound_ = true;
  if (::listen(listener_.Get(), 16) != 0) {
    if (error) *error = "cannot listen on " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

std::vector<int> HidrawNode::ClientFds() const {
  std::vector<int> fds;
  fds.reserve(clients_.size());
  for (const UniqueFd& client : clients_) fds.push_back(client.Get());
  return fds;
}

void HidrawNode::AcceptPending() {
  while (true) {
    const int fd = ::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;
    }
    clients_.emplace_back(fd);
  }
}

HidrawNode::Message HidrawNode::Receive(int client_fd) {
  Message message;
  std::vector<uint8_t> buffer(kMaxReport);
  const ssize_t n = ::recv(client_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (n > 0) {
    buffer.resize(static_cast<size_t>(n));
    message.kind = Message::Kind::kReport;
    message.bytes = std::move(buffer);
  } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    message.kind = Message::Kind::kClosed;
    Drop(client_fd);
  }
  return message;
}

size_t HidrawNode::Broadcast(std::span<const uint8_t> report) {
  size_t delivered = 0;
  for (const UniqueFd& client : clients_) {
    if (::send(client.Get(), report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
        static_cast<ssize_t>(report.size())) {
      ++delivered;
    }
  }
  return delivered;
}

void HidrawNode::DisconnectAll() {
  for (UniqueFd& client : clients_) ::shutdown(client.Get(), SHUT_RDWR);
  clients_.clear();
}

void HidrawNode::Drop(int client_fd) {
  std::erase_if(clients_, [client_fd](const UniqueFd& client) { return client.Get() == client_fd; });
}

}  // namespace zt640::devsim
