#include "platform/ipc/socket_io.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace zt640::platform {

namespace {
using Clock = std::chrono::steady_clock;

/// Milliseconds left before `deadline`, or -1 for no deadline.
int Remaining(std::optional<Clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(left);
}

std::optional<Clock::time_point> DeadlineFrom(std::int64_t timeout_ms) {
  if (timeout_ms < 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeout_ms);
}

SocketStatus WaitFor(int fd, short events, std::optional<Clock::time_point> deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, Remaining(deadline));
    if (ready > 0) return SocketStatus::kOk;
    if (ready == 0) return SocketStatus::kTimeout;
    if (errno != EINTR) return SocketStatus::kError;
  }
}

/// Reads exactly `size` bytes; kClosed when the peer closes first with nothing read yet.
SocketStatus ReadExact(int fd, std::uint8_t* out, std::size_t size, std::optional<Clock::time_point> deadline) {
  std::size_t done = 0;
  while (done < size) {
    const SocketStatus waited = WaitFor(fd, POLLIN, deadline);
    if (waited != SocketStatus::kOk) return waited;
    const ssize_t got = ::recv(fd, out + done, size - done, 0);
    if (got > 0) {
      done += static_cast<std::size_t>(got);
    } else if (got == 0) {
      return done == 0 ? SocketStatus::kClosed : SocketStatus::kMalformed;
    } else if (errno != EINTR && errno != EAGAIN) {
      return SocketStatus::kError;
    }
  }
  return SocketStatus::kOk;
}
}  // namespace

bool FitsSocketAddress(const std::string& path) { return path.size() < sizeof(sockaddr_un{}.sun_path); }

SocketStatus ConnectUnixSocket(const std::string& path, UniqueFd& out) {
  if (!FitsSocketAddress(path)) return SocketStatus::kPathTooLong;
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return SocketStatus::kError;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno == ENOENT || errno == ECONNREFUSED || errno == ENOTSOCK) return SocketStatus::kNoListener;
    return SocketStatus::kError;
  }
  out = std::move(fd);
  return SocketStatus::kOk;
}

SocketStatus WriteAll(int fd, std::span<const std::uint8_t> bytes, std::int64_t timeout_ms) {
  const auto deadline = DeadlineFrom(timeout_ms);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const SocketStatus waited = WaitFor(fd, POLLOUT, deadline);
    if (waited != SocketStatus::kOk) return waited;
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      done += static_cast<std::size_t>(sent);
    } else if (sent < 0 && (errno == EPIPE || errno == ECONNRESET)) {
      return SocketStatus::kClosed;
    } else if (sent < 0 && errno != EINTR && errno != EAGAIN) {
      return SocketStatus::kError;
    }
  }
  return SocketStatus::kOk;
}

SocketStatus ReadFrame(int fd, std::int64_t timeout_ms, IpcFrame& frame, std::string* reason) {
  const auto deadline = DeadlineFrom(timeout_ms);
  std::vector<std::uint8_t> bytes(ipc_frame_layout::kHeaderSize);
  const SocketStatus header_status = ReadExact(fd, bytes.data(), bytes.size(), deadline);
  if (header_status != SocketStatus::kOk) {
    if (header_status == SocketStatus::kMalformed && reason != nullptr) *reason = "short frame header";
    return header_status;
  }
  const std::optional<IpcFrameHeader> header = DecodeIpcFrameHeader(bytes, reason);
  if (!header) return SocketStatus::kMalformed;
  bytes.resize(ipc_frame_layout::kHeaderSize + header->BodySize());
  if (header->BodySize() != 0) {
    const SocketStatus body_status =
        ReadExact(fd, bytes.data() + ipc_frame_layout::kHeaderSize, header->BodySize(), deadline);
    if (body_status == SocketStatus::kClosed) {
      if (reason != nullptr) *reason = "frame body cut short";
      return SocketStatus::kMalformed;
    }
    if (body_status != SocketStatus::kOk) return body_status;
  }
  std::optional<IpcFrame> decoded = DecodeIpcFrame(bytes, reason);
  if (!decoded) return SocketStatus::kMalformed;
  frame = std::move(*decoded);
  return SocketStatus::kOk;
}

}  // namespace zt640::platform
