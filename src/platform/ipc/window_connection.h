#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ipc/ipc_client.h"
#include "platform/ipc/unique_fd.h"
#include "platform/ipc/window_address.h"
#include "platform/ipc/window_message.h"

namespace zt640::platform {

/// One connection to one window, kept open from send to send, for a sender that sends to
/// the same window many times a second (the audio capture's blocks), which would otherwise
/// connect and hang up for every message. One thread at a time.
///
/// A kept connection the window has closed meanwhile (it closes unused ones after a
/// while) is replaced once and the message sent again. That cannot run a message twice:
/// a window answers every frame it has read, so a connection that closes without an
/// answer never handed its frame on. Any other failure closes the connection, so a late
/// answer is never taken for the next message's.
class WindowConnection {
 public:
  /// Sends and waits for the answer (`timeout_ms` < 0: for ever), on the kept connection
  /// when it leads to `window`, else on a new one.
  [[nodiscard]] IpcSendOutcome SendMessage(const WindowAddress& window, const WindowMessage& message,
                                           std::int64_t timeout_ms = -1);
  /// Sends a copy-data block (`kWmCopyData`, wparam `sender`, dwData `kind`).
  [[nodiscard]] IpcSendOutcome SendCopyData(const WindowAddress& window, std::uint64_t sender, std::uint64_t kind,
                                            std::span<const std::uint8_t> block, std::int64_t timeout_ms = -1);

  /// Sends `messages` in one write and then takes their answers in order (`timeout_ms`
  /// for each), so a window that answers them at once reads them all in one go. One
  /// outcome per message. After a failure the messages not answered yet are not sent
  /// again (they report that failure), except that a kept connection found closed is
  /// replaced once and the unanswered ones sent again, as for a single message.
  [[nodiscard]] std::vector<IpcSendOutcome> SendMessages(const WindowAddress& window,
                                                         std::span<const WindowMessage> messages,
                                                         std::int64_t timeout_ms = -1);

  [[nodiscard]] bool IsOpen() const { return fd_.valid(); }
  void Close();

 private:
  struct Attempt {
    std::size_t answered = 0;  ///< frames answered "handled", in order
    IpcSendOutcome failure;    ///< why the frame after them failed
    bool lost = false;         ///< the connection closed before that frame's answer came
  };
  /// Writes `frames` and reads their answers into `outcomes` until one fails.
  [[nodiscard]] Attempt Exchange(const std::string& path, std::span<const std::vector<std::uint8_t>> frames,
                                 std::span<IpcSendOutcome> outcomes, std::int64_t timeout_ms);

  std::string path_;
  UniqueFd fd_;
};

}  // namespace zt640::platform
