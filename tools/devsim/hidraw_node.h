#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "devsim/unique_fd.h"

namespace zt640::devsim {

/// A socket device node standing in for /dev/hidrawK: a listening
/// SOCK_SEQPACKET socket whose clients each write output reports and each
/// receive every input report. Not thread-safe: owned and used by the server's
/// loop thread. Destruction closes every client and removes the socket file.
class HidrawNode {
 public:
  /// What one client message read gave.
  struct Message {
    enum class Kind { kReport, kNothing, kClosed } kind = Kind::kNothing;
    std::vector<uint8_t> bytes;
  };

  explicit HidrawNode(std::filesystem::path path);
  ~HidrawNode();
  HidrawNode(const HidrawNode&) = delete;
  HidrawNode& operator=(const HidrawNode&) = delete;

  /// Binds and listens at the path (which must not exist). False with *error set.
  [[nodiscard]] bool Listen(std::string* error);
  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  [[nodiscard]] int ListenFd() const { return listener_.Get(); }
  [[nodiscard]] std::vector<int> ClientFds() const;
  [[nodiscard]] size_t ClientCount() const { return clients_.size(); }

  /// Accepts every pending connection.
  void AcceptPending();
  /// Reads one message from the client fd; a closed or failed client is dropped.
  [[nodiscard]] Message Receive(int client_fd);
  /// Sends one input report to every client; a client whose queue is full
  /// misses the report (as a full hidraw queue drops reports). Returns the
  /// number of clients that got it.
  size_t Broadcast(std::span<const uint8_t> report);
  /// Hangs up on every client (they see end of stream).
  void DisconnectAll();

  static constexpr size_t kMaxReport = 4096;

 private:
  void Drop(int client_fd);

  std::filesystem::path path_;
  UniqueFd listener_;
  std::vector<UniqueFd> clients_;
  bool bound_ = false;
};

}  // namespace zt640::devsim
