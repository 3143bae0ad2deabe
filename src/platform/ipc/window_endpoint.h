#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/ipc/message_queue.h"
#include "platform/ipc/unique_fd.h"

namespace zt640::platform {

enum class EndpointResult {
  kOk,
  kInUse,        ///< a live window with the same class and title already listens
  kPathTooLong,  ///< the socket path does not fit a Unix socket address
  kSocketError,  ///< the socket could not be made (e.g. the runtime folder is not writable)
};

/// Makes a window reachable from other processes: listens on its socket in the runtime
/// folder and hands every well-formed message to the window's `MessageQueue` (sends wait
/// for the handler and are answered; posts are queued). Each connection carries one
/// message and is served on its own thread, so a slow sender never holds up others.
/// Malformed frames close their connection and are counted; they never reach the window.
class WindowEndpoint {
 public:
  /// Time a connection may take to deliver its frame.
  static constexpr std::int64_t kFrameReadTimeoutMs = 2000;
  /// Connections served at once; more are closed at once.
  static constexpr std::size_t kMaxConnections = 32;

  explicit WindowEndpoint(MessageQueue& queue);
  WindowEndpoint(const WindowEndpoint&) = delete;
  WindowEndpoint& operator=(const WindowEndpoint&) = delete;
  ~WindowEndpoint();

  /// Listens as window `class_name`/`title` in `folder`. A socket file left by a dead
  /// process is replaced; one that still answers is not touched (kInUse).
  [[nodiscard]] EndpointResult Open(const std::string& folder, std::string_view class_name, std::string_view title);

  /// Stops listening, removes the socket file and waits for the connection threads.
  /// Close the window's queue first: a connection waiting on it is then answered at once.
  void Close();

  [[nodiscard]] const std::string& socket_path() const { return path_; }
  [[nodiscard]] std::uint64_t malformed_frames() const { return malformed_frames_.load(); }

 private:
  struct Connection {
    std::thread thread;
    std::atomic<bool> done{false};
    UniqueFd fd;
  };

  void AcceptLoop();
  void Serve(Connection& connection);
  void ReapFinished();

  MessageQueue& queue_;
  std::string path_;
  UniqueFd listen_fd_;
  UniqueFd stop_fd_;  ///< eventfd that wakes the accept loop for `Close`
  std::thread accept_thread_;
  std::atomic<std::uint64_t> malformed_frames_{0};

  std::mutex connections_mutex_;
  std::list<std::unique_ptr<Connection>> connections_;  ///< guarded by connections_mutex_
};

}  // namespace zt640::platform
