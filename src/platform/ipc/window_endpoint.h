#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/unique_fd.h"

namespace zt640::platform {

enum class EndpointResult {
  kOk,
  kInUse,        ///< a live window with the same class and title already listens
  kPathTooLong,  ///< the socket path does not fit a Unix socket address
  kSocketError,  ///< the socket could not be made (e.g. the runtime folder is not writable)
};

/// How many connections a window holds and how long each may take.
struct EndpointLimits {
  /// Time a connection may take, from its accept, to deliver its frame.
  std::int64_t frame_read_timeout_ms = 2000;
  /// Connections held at once, whether still delivering or waiting for the window's answer.
  std::size_t max_connections = 256;
};

/// Makes a window reachable from other processes: listens on its socket in the runtime
/// folder and hands every well-formed message to the window's `MessageQueue` (sends are
/// answered once the handler ran; posts are queued). A connection carries one message, or
/// one send after another: after a send's answer it stays open for the client's next send
/// until the client closes it or leaves it unused for `frame_read_timeout_ms`.
///
/// One thread serves every connection with non-blocking reads, in arrival order, so a
/// message is queued before any message that a client sent after it, and a slow or idle
/// client never holds up others. A connection that has not delivered its frame in
/// `frame_read_timeout_ms` is dropped. When `max_connections` are held, a new one takes the
/// place of the one that has been delivering longest; when all of them wait for the
/// window's answer, the new one is answered "busy" at once. Malformed frames close their
/// connection and are counted; they never reach the window.
class WindowEndpoint {
 public:
  /// Takes a message on the serving thread before it goes to the queue: a result answers
  /// a send at once (a post is simply taken); nullopt hands the message to the queue as
  /// usual. For messages whose handling is thread-safe and must not wake the window's
  /// thread many times a second; it must not block. Frames a client sent one after
  /// another on one connection are then all read and answered in one round.
  using DirectHandler = std::function<std::optional<std::int64_t>(const WindowMessage&)>;

  explicit WindowEndpoint(MessageQueue& queue, EndpointLimits limits = {});
  WindowEndpoint(const WindowEndpoint&) = delete;
  WindowEndpoint& operator=(const WindowEndpoint&) = delete;
  ~WindowEndpoint();

  /// Listens as window `class_name`/`title` in `folder`. A socket file left by a dead
  /// process is replaced; one that still answers is not touched (kInUse).
  [[nodiscard]] EndpointResult Open(const std::string& folder, std::string_view class_name, std::string_view title);

  /// Sets the serving thread's own handler; only before `Open` (the thread reads it unlocked).
  void SetDirectHandler(DirectHandler handler) { direct_ = std::move(handler); }

  /// Stops listening and removes the socket file. Senders still waiting are answered with
  /// what the queue gave them, else "window closing". Close the window's queue first so
  /// that every waiting send has its answer.
  void Close();

  [[nodiscard]] const std::string& socket_path() const { return path_; }
  /// Frames dropped as malformed, cut short or not delivered in time.
  [[nodiscard]] std::uint64_t malformed_frames() const { return malformed_frames_.load(); }
  /// Connections closed to make room for a new one, and new ones answered "busy".
  [[nodiscard]] std::uint64_t displaced_connections() const { return displaced_connections_.load(); }
  [[nodiscard]] std::uint64_t busy_answers() const { return busy_answers_.load(); }
  /// Sends handed to the queue and not answered yet.
  [[nodiscard]] std::size_t waiting_sends() const { return waiting_sends_.load(); }
  /// Connections open at the end of the serving thread's last round.
  [[nodiscard]] std::size_t connections_held() const { return connections_held_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  struct Connection {
    UniqueFd fd;
    Clock::time_point deadline;
    std::vector<std::uint8_t> bytes;            ///< received so far
    std::optional<IpcFrameHeader> header;       ///< once the whole header is in
    bool waiting = false;                       ///< the frame went to the queue as a send
    bool idle = false;                          ///< answered and kept open; no new frame begun
    std::vector<std::uint8_t> replies;          ///< answers given this round, not sent yet
  };
  struct Answers;  ///< send results handed back from the window's thread

  void ServeLoop();
  void AcceptPending();
  enum class Delivered {
    kFinished,  ///< the connection is finished with
    kWaiting,   ///< a send waits for the window's answer
    kAnswered,  ///< answered at once; the connection may carry the next frame
  };
  /// Reads what `connection` has and sends the answers given meanwhile; true when it is
  /// finished with (closed or handed on).
  [[nodiscard]] bool ReadFrom(std::uint64_t id, Connection& connection);
  [[nodiscard]] bool ReadFrames(std::uint64_t id, Connection& connection);
  /// Handles a complete frame.
  [[nodiscard]] Delivered Deliver(std::uint64_t id, Connection& connection);
  /// Makes an answered connection ready for its client's next frame.
  void KeepForNextFrame(Connection& connection) const;
  void DropMalformed(const std::string& reason);
  void AnswerFinishedSends();
  void DropLateConnections();
  /// When a frame begun now must be in whole.
  [[nodiscard]] Clock::time_point FrameDeadline() const;
  [[nodiscard]] int PollTimeoutMs() const;

  MessageQueue& queue_;
  const EndpointLimits limits_;
  DirectHandler direct_;
  std::string path_;
  UniqueFd listen_fd_;
  UniqueFd stop_fd_;  ///< eventfd that wakes the serving thread for `Close`
  std::shared_ptr<Answers> answers_;
  std::thread serve_thread_;
  std::atomic<std::uint64_t> malformed_frames_{0};
  std::atomic<std::uint64_t> displaced_connections_{0};
  std::atomic<std::uint64_t> busy_answers_{0};
  std::atomic<std::size_t> waiting_sends_{0};
  std::atomic<std::size_t> connections_held_{0};

  /// Used by the serving thread only (and by `Close` after it ended), in accept order.
  std::map<std::uint64_t, Connection> connections_;
  std::uint64_t next_id_ = 0;
  Clock::time_point accept_resume_{};  ///< no accept before this (out of descriptors)
};

}  // namespace zt640::platform
