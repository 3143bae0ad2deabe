#include "platform/ipc/window_endpoint.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "platform/diag/debug_output.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_address.h"

namespace zt640::platform {

namespace {
/// Turns a received frame into this process's message; false for a registered name that
/// this process never registered (no window here could handle it).
bool ToLocalMessage(const IpcFrame& frame, WindowMessage& message) {
  if (!frame.name.empty()) {
    message.message = FindRegisteredMessage(frame.name);
    if (message.message == 0) return false;
  } else {
    message.message = frame.message;
  }
  message.wparam = frame.wparam;
  message.lparam = frame.lparam;
  message.copy_data_kind = frame.copy_data_kind;
  message.copy_data = frame.payload;
  return true;
}

void Reply(int fd, IpcReplyStatus status, std::int64_t result) {
  IpcFrame reply;
  reply.kind = IpcFrameKind::kReply;
  reply.wparam = static_cast<std::uint64_t>(status);
  reply.lparam = result;
  const auto bytes = EncodeIpcFrame(reply);
  if (bytes) (void)WriteAll(fd, *bytes, 1000);
}
}  // namespace

WindowEndpoint::WindowEndpoint(MessageQueue& queue) : queue_(queue) {}

WindowEndpoint::~WindowEndpoint() { Close(); }

EndpointResult WindowEndpoint::Open(const std::string& folder, std::string_view class_name, std::string_view title) {
  Close();
  const std::string path = folder + "/" + WindowSocketName(class_name, title);
  if (!FitsSocketAddress(path)) return EndpointResult::kPathTooLong;

  UniqueFd probe;
  const SocketStatus probed = ConnectUnixSocket(path, probe);
  if (probed == SocketStatus::kOk) return EndpointResult::kInUse;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    // Nothing answers there: the socket of a process that died without cleaning up.
    DebugOutput("window endpoint: replacing stale socket " + path);
    ::unlink(path.c_str());
  }

  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid()) return EndpointResult::kSocketError;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    DebugOutput("window endpoint: cannot bind " + path + ": " + std::strerror(errno));
    return errno == EADDRINUSE ? EndpointResult::kInUse : EndpointResult::kSocketError;
  }
  ::chmod(path.c_str(), 0600);
  if (::listen(fd.get(), 64) != 0) {
    ::unlink(path.c_str());
    return EndpointResult::kSocketError;
  }
  UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!stop.valid()) {
    ::unlink(path.c_str());
    return EndpointResult::kSocketError;
  }
  path_ = path;
  listen_fd_ = std::move(fd);
  stop_fd_ = std::move(stop);
  accept_thread_ = std::thread([this] { AcceptLoop(); });
  return EndpointResult::kOk;
}

void WindowEndpoint::Close() {
  if (!accept_thread_.joinable()) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(stop_fd_.get(), &one, sizeof one);
  accept_thread_.join();
  {
    std::lock_guard lock(connections_mutex_);
    for (auto& connection : connections_) {
      if (connection->fd.valid()) ::shutdown(connection->fd.get(), SHUT_RDWR);
    }
  }
  std::list<std::unique_ptr<Connection>> remaining;
  {
    std::lock_guard lock(connections_mutex_);
    remaining.swap(connections_);
  }
  for (auto& connection : remaining) connection->thread.join();
  ::unlink(path_.c_str());
  listen_fd_.Reset();
  stop_fd_.Reset();
  path_.clear();
}

void WindowEndpoint::ReapFinished() {
  std::list<std::unique_ptr<Connection>> finished;
  {
    std::lock_guard lock(connections_mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      if ((*it)->done.load()) {
        finished.push_back(std::move(*it));
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& connection : finished) connection->thread.join();
}

void WindowEndpoint::AcceptLoop() {
  for (;;) {
    pollfd entries[2] = {{listen_fd_.get(), POLLIN, 0}, {stop_fd_.get(), POLLIN, 0}};
    const int ready = ::poll(entries, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (entries[1].revents != 0) return;
    ReapFinished();
    UniqueFd accepted(::accept4(listen_fd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!accepted.valid()) continue;
    std::lock_guard lock(connections_mutex_);
    if (connections_.size() >= kMaxConnections) {
      DebugOutput("window endpoint: too many connections; one refused");
      continue;
    }
    auto connection = std::make_unique<Connection>();
    connection->fd = std::move(accepted);
    Connection& served = *connection;
    connections_.push_back(std::move(connection));
    served.thread = std::thread([this, &served] {
      Serve(served);
      served.done.store(true);
    });
  }
}

void WindowEndpoint::Serve(Connection& connection) {
  const int fd = connection.fd.get();
  IpcFrame frame;
  std::string reason;
  const SocketStatus status = ReadFrame(fd, kFrameReadTimeoutMs, frame, &reason);
  if (status == SocketStatus::kClosed) return;  // a find-window probe: connect and go
  if (status != SocketStatus::kOk || frame.kind == IpcFrameKind::kReply) {
    if (status == SocketStatus::kMalformed || status == SocketStatus::kTimeout || frame.kind == IpcFrameKind::kReply) {
      malformed_frames_.fetch_add(1);
      DebugOutput("window endpoint: dropped a malformed frame (" +
                  (reason.empty() ? std::string(status == SocketStatus::kTimeout ? "incomplete" : "reply sent to a window")
                                  : reason) +
                  ")");
    }
    return;
  }
  WindowMessage message;
  const bool known = ToLocalMessage(frame, message);
  if (frame.kind == IpcFrameKind::kPost) {
    if (known) (void)queue_.Post(std::move(message));
    return;
  }
  if (!known) {
    Reply(fd, IpcReplyStatus::kUnknown, 0);
    return;
  }
  const SendResult result = queue_.Send(std::move(message));
  if (result.status == SendStatus::kHandled) {
    Reply(fd, IpcReplyStatus::kHandled, result.result);
  } else {
    Reply(fd, IpcReplyStatus::kClosed, 0);
  }
}

}  // namespace zt640::platform
