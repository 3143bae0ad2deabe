#include "platform/ipc/window_endpoint.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/diag/debug_output.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_address.h"
#include "platform/sync/thread_name.h"

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

/// Adds the answer to a send to `out`; false when it cannot be encoded.
bool AppendReply(std::vector<std::uint8_t>& out, IpcReplyStatus status, std::int64_t result) {
  IpcFrame reply;
  reply.kind = IpcFrameKind::kReply;
  reply.wparam = static_cast<std::uint64_t>(status);
  reply.lparam = result;
  const auto bytes = EncodeIpcFrame(reply);
  if (!bytes) return false;
  out.insert(out.end(), bytes->begin(), bytes->end());
  return true;
}

/// Sends answers; true when they all went out. Answers are small frames on a socket whose
/// peer waits for them, so they fit the socket buffer and never block the serving thread;
/// a peer that has gone away simply misses them.
bool SendReplies(int fd, const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return true;
  const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  return sent == static_cast<ssize_t>(bytes.size());
}

bool Reply(int fd, IpcReplyStatus status, std::int64_t result) {
  std::vector<std::uint8_t> bytes;
  return AppendReply(bytes, status, result) && SendReplies(fd, bytes);
}

/// Frames of one connection answered at once in one round of the serving thread.
constexpr int kAnsweredPerRound = 16;

/// How long new clients stay in the backlog after the process ran out of descriptors.
constexpr std::chrono::milliseconds kAcceptPause{100};

void DrainCounter(int fd) {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
}

void Signal(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}
}  // namespace

/// Results of sends, handed from the window's thread (or the thread that closes its queue)
/// to the serving thread. Shared with the queue's pending completions, so it outlives the
/// endpoint when a send is still queued at `Close`.
struct WindowEndpoint::Answers {
  std::mutex mutex;
  std::deque<std::pair<std::uint64_t, SendResult>> ready;  ///< guarded by mutex
  bool closed = false;                                     ///< guarded by mutex
  UniqueFd wake{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};

  void Add(std::uint64_t id, const SendResult& result) {
    {
      std::lock_guard lock(mutex);
      if (closed) return;
      ready.emplace_back(id, result);
    }
    Signal(wake.get());
  }
  std::deque<std::pair<std::uint64_t, SendResult>> Take() {
    std::lock_guard lock(mutex);
    return std::exchange(ready, {});
  }
};

WindowEndpoint::WindowEndpoint(MessageQueue& queue, EndpointLimits limits) : queue_(queue), limits_(limits) {}

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
  if (::listen(fd.get(), SOMAXCONN) != 0) {
    ::unlink(path.c_str());
    return EndpointResult::kSocketError;
  }
  UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  auto answers = std::make_shared<Answers>();
  if (!stop.valid() || !answers->wake.valid()) {
    ::unlink(path.c_str());
    return EndpointResult::kSocketError;
  }
  path_ = path;
  listen_fd_ = std::move(fd);
  stop_fd_ = std::move(stop);
  answers_ = std::move(answers);
  serve_thread_ = std::thread([this] {
    NameThisThread("ipc_window");
    ServeLoop();
  });
  return EndpointResult::kOk;
}

void WindowEndpoint::Close() {
  if (!serve_thread_.joinable()) return;
  Signal(stop_fd_.get());
  serve_thread_.join();
  ::unlink(path_.c_str());
  listen_fd_.Reset();
  // Answers the queue has given go out; later ones have nobody to go to.
  {
    std::lock_guard lock(answers_->mutex);
    answers_->closed = true;
  }
  AnswerFinishedSends();
  for (auto& [id, connection] : connections_) {
    if (connection.waiting) Reply(connection.fd.get(), IpcReplyStatus::kClosed, 0);
  }
  connections_.clear();
  waiting_sends_.store(0);
  answers_.reset();
  stop_fd_.Reset();
  path_.clear();
}

void WindowEndpoint::ServeLoop() {
  std::vector<pollfd> entries;
  std::vector<std::uint64_t> polled_ids;
  for (;;) {
    entries.clear();
    polled_ids.clear();
    entries.push_back({stop_fd_.get(), POLLIN, 0});
    entries.push_back({answers_->wake.get(), POLLIN, 0});
    // After running out of descriptors, new clients wait in the backlog for a while.
    const bool accepting = Clock::now() >= accept_resume_;
    entries.push_back({accepting ? listen_fd_.get() : -1, POLLIN, 0});
    for (const auto& [id, connection] : connections_) {
      if (connection.waiting) continue;
      entries.push_back({connection.fd.get(), POLLIN, 0});
      polled_ids.push_back(id);
    }
    const int ready = ::poll(entries.data(), entries.size(), PollTimeoutMs());
    if (ready < 0 && errno != EINTR) {
      DebugOutput(std::string("window endpoint: poll failed: ") + std::strerror(errno));
      return;
    }
    if (ready > 0 && entries[0].revents != 0) return;
    if (ready > 0 && entries[1].revents != 0) {
      DrainCounter(answers_->wake.get());
      AnswerFinishedSends();
    }
    // Connections already open are read before new ones are taken, so what a client
    // sent on an earlier connection is handled before what it sent on a later one.
    for (std::size_t i = 0; ready > 0 && i < polled_ids.size(); ++i) {
      if (entries[3 + i].revents == 0) continue;
      const auto found = connections_.find(polled_ids[i]);
      if (found != connections_.end() && ReadFrom(found->first, found->second)) connections_.erase(found);
    }
    DropLateConnections();
    if (ready > 0 && entries[2].revents != 0) AcceptPending();
    connections_held_.store(connections_.size());
  }
}

int WindowEndpoint::PollTimeoutMs() const {
  std::optional<Clock::time_point> first;
  for (const auto& [id, connection] : connections_) {
    if (!connection.waiting && (!first || connection.deadline < *first)) first = connection.deadline;
  }
  if (accept_resume_ > Clock::now() && (!first || accept_resume_ < *first)) first = accept_resume_;
  if (!first) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*first - Clock::now()).count();
  return static_cast<int>(std::clamp<std::int64_t>(left, 0, limits_.frame_read_timeout_ms));
}

WindowEndpoint::Clock::time_point WindowEndpoint::FrameDeadline() const {
  return Clock::now() + std::chrono::milliseconds(limits_.frame_read_timeout_ms);
}

void WindowEndpoint::DropLateConnections() {
  const auto now = Clock::now();
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!it->second.waiting && it->second.deadline <= now) {
      // A connection left open after its answer and not used again is simply closed.
      if (!it->second.idle) DropMalformed("incomplete");
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void WindowEndpoint::AcceptPending() {
  for (;;) {
    UniqueFd accepted(::accept4(listen_fd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!accepted.valid()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE) {
        // Out of descriptors: give up the longest-delivering connection so the next
        // accept can succeed; with none to give up, wait for one to finish.
        const auto oldest = std::find_if(connections_.begin(), connections_.end(),
                                         [](const auto& entry) { return !entry.second.waiting; });
        if (oldest == connections_.end()) {
          accept_resume_ = Clock::now() + kAcceptPause;
          return;
        }
        connections_.erase(oldest);
        displaced_connections_.fetch_add(1);
        continue;
      }
      return;  // EAGAIN: the backlog is empty
    }
    if (connections_.size() >= limits_.max_connections) {
      const auto oldest = std::find_if(connections_.begin(), connections_.end(),
                                       [](const auto& entry) { return !entry.second.waiting; });
      if (oldest == connections_.end()) {
        DebugOutput("window endpoint: every connection waits for the window; one answered busy");
        busy_answers_.fetch_add(1);
        Reply(accepted.get(), IpcReplyStatus::kBusy, 0);
        continue;
      }
      DebugOutput("window endpoint: connection limit reached; the longest-delivering one closed");
      displaced_connections_.fetch_add(1);
      connections_.erase(oldest);
    }
    Connection connection;
    connection.fd = std::move(accepted);
    connection.deadline = FrameDeadline();
    connection.bytes.reserve(ipc_frame_layout::kHeaderSize);
    const std::uint64_t id = next_id_++;
    auto [placed, inserted] = connections_.emplace(id, std::move(connection));
    if (!inserted) continue;
    // Most clients have written their frame by now: read it before taking the next one.
    if (ReadFrom(id, placed->second)) {
      connections_.erase(placed);
    } else if (!placed->second.waiting) {
      // Still delivering: the next round reads it before it takes a later connection.
      return;
    }
  }
}

bool WindowEndpoint::ReadFrom(std::uint64_t id, Connection& connection) {
  const bool finished = ReadFrames(id, connection);
  // Answers given on this thread go out together: their client wakes once for them.
  const bool sent = SendReplies(connection.fd.get(), connection.replies);
  connection.replies.clear();
  return finished || !sent;
}

bool WindowEndpoint::ReadFrames(std::uint64_t id, Connection& connection) {
  int answered = 0;
  for (;;) {
    const std::size_t wanted =
        connection.header ? ipc_frame_layout::kHeaderSize + connection.header->BodySize() : ipc_frame_layout::kHeaderSize;
    const std::size_t have = connection.bytes.size();
    if (have == wanted) {
      if (!connection.header) {
        std::string reason;
        connection.header = DecodeIpcFrameHeader(connection.bytes, &reason);
        if (!connection.header) {
          DropMalformed(reason);
          return true;
        }
        if (connection.header->BodySize() != 0) continue;
      }
      const Delivered delivered = Deliver(id, connection);
      // A client that sent several frames at once has the next one read right away, up
      // to a few a round so that a flooding client cannot hold up the others.
      if (delivered == Delivered::kAnswered) {
        if (++answered < kAnsweredPerRound) continue;
        return false;
      }
      return delivered == Delivered::kFinished;
    }
    connection.bytes.resize(wanted);
    const ssize_t got = ::recv(connection.fd.get(), connection.bytes.data() + have, wanted - have, 0);
    if (got > 0) {
      connection.bytes.resize(have + static_cast<std::size_t>(got));
      if (connection.idle) {
        // The next frame on a kept connection has the same time to arrive whole as a first one.
        connection.idle = false;
        connection.deadline = FrameDeadline();
      }
      continue;
    }
    connection.bytes.resize(have);
    if (got == 0) {
      // Connect and go is how find-window probes; anything else was cut short.
      if (have != 0) DropMalformed(connection.header ? "frame body cut short" : "short frame header");
      return true;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
    return true;
  }
}

WindowEndpoint::Delivered WindowEndpoint::Deliver(std::uint64_t id, Connection& connection) {
  std::string reason;
  std::optional<IpcFrame> frame = DecodeIpcFrame(connection.bytes, &reason);
  if (!frame) {
    DropMalformed(reason);
    return Delivered::kFinished;
  }
  if (frame->kind == IpcFrameKind::kReply) {
    DropMalformed("reply sent to a window");
    return Delivered::kFinished;
  }
  WindowMessage message;
  const bool known = ToLocalMessage(*frame, message);
  const std::optional<std::int64_t> direct = known && direct_ ? direct_(message) : std::nullopt;
  if (frame->kind == IpcFrameKind::kPost) {
    if (known && !direct && !queue_.Post(std::move(message))) {
      DebugOutput("window endpoint: a post arrived while the window closes");
    }
    return Delivered::kFinished;
  }
  if (!known) {
    (void)AppendReply(connection.replies, IpcReplyStatus::kUnknown, 0);
    return Delivered::kFinished;
  }
  if (direct) {
    if (!AppendReply(connection.replies, IpcReplyStatus::kHandled, *direct)) return Delivered::kFinished;
    KeepForNextFrame(connection);
    return Delivered::kAnswered;
  }
  // Answers given so far go out before this one's.
  if (!SendReplies(connection.fd.get(), connection.replies)) return Delivered::kFinished;
  connection.replies.clear();
  connection.waiting = true;
  connection.bytes = {};
  waiting_sends_.fetch_add(1);
  queue_.SendAsync(std::move(message),
                   [answers = answers_, id](const SendResult& result) { answers->Add(id, result); });
  return Delivered::kWaiting;
}

void WindowEndpoint::KeepForNextFrame(Connection& connection) const {
  // The client may send again on the same connection (a sender of many messages a
  // second keeps one open); one that hangs up is finished with at its next read.
  connection.waiting = false;
  connection.idle = true;
  connection.header.reset();
  connection.bytes.clear();
  connection.deadline = FrameDeadline();
}

void WindowEndpoint::AnswerFinishedSends() {
  for (const auto& [id, result] : answers_->Take()) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) continue;
    Connection& connection = found->second;
    waiting_sends_.fetch_sub(1);
    if (result.status == SendStatus::kHandled && Reply(connection.fd.get(), IpcReplyStatus::kHandled, result.result)) {
      KeepForNextFrame(connection);
      continue;
    }
    if (result.status != SendStatus::kHandled) Reply(connection.fd.get(), IpcReplyStatus::kClosed, 0);
    connections_.erase(found);
  }
}

void WindowEndpoint::DropMalformed(const std::string& reason) {
  malformed_frames_.fetch_add(1);
  DebugOutput("window endpoint: dropped a malformed frame (" + reason + ")");
}

}  // namespace zt640::platform
