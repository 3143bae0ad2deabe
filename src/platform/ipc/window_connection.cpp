#include "platform/ipc/window_connection.h"

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/ipc_message_frame.h"
#include "platform/ipc/socket_io.h"

namespace zt640::platform {

void WindowConnection::Close() {
  fd_.Reset();
  path_.clear();
}

WindowConnection::Attempt WindowConnection::Exchange(const std::string& path, std::span<const std::uint8_t> frame,
                                                     std::int64_t timeout_ms) {
  if (!fd_.valid()) {
    const SocketStatus connected = ConnectUnixSocket(path, fd_);
    if (connected != SocketStatus::kOk) {
      Close();
      return {{IpcStatusOf(connected), 0}};
    }
    path_ = path;
  }
  const SocketStatus written = WriteAll(fd_.get(), frame, kIpcWriteTimeoutMs);
  // A window that cannot take the message may answer and hang up before reading it: its
  // answer is then already waiting here.
  if (written != SocketStatus::kOk && written != SocketStatus::kClosed) {
    Close();
    return {{IpcStatusOf(written), 0}};
  }
  IpcFrame reply;
  const SocketStatus read = ReadFrame(fd_.get(), written == SocketStatus::kOk ? timeout_ms : 0, reply);
  if (read != SocketStatus::kOk) {
    Close();
    const bool lost = written == SocketStatus::kClosed || read == SocketStatus::kClosed;
    return {{lost ? IpcStatus::kClosed : IpcStatusOf(read), 0}, lost};
  }
  const IpcSendOutcome outcome = IpcOutcomeOfReply(reply);
  // Only a handled message leaves the connection usable: the window closes it otherwise.
  if (outcome.status != IpcStatus::kOk) Close();
  return {outcome};
}

IpcSendOutcome WindowConnection::SendMessage(const WindowAddress& window, const WindowMessage& message,
                                             std::int64_t timeout_ms) {
  IpcFrame frame;
  if (const IpcStatus status = ToIpcFrame(message, IpcFrameKind::kSend, frame); status != IpcStatus::kOk) {
    return {status, 0};
  }
  const auto bytes = EncodeIpcFrame(frame);
  if (!bytes) return {IpcStatus::kBadMessage, 0};
  if (path_ != window.socket_path) Close();
  const bool kept = fd_.valid();
  const Attempt first = Exchange(window.socket_path, *bytes, timeout_ms);
  if (!kept || !first.lost) return first.outcome;
  return Exchange(window.socket_path, *bytes, timeout_ms).outcome;
}

IpcSendOutcome WindowConnection::SendCopyData(const WindowAddress& window, std::uint64_t sender, std::uint64_t kind,
                                              std::span<const std::uint8_t> block, std::int64_t timeout_ms) {
  if (block.size() > kMaxCopyDataBytes) return {IpcStatus::kTooLarge, 0};
  return SendMessage(window, CopyDataMessage(sender, kind, block), timeout_ms);
}

}  // namespace zt640::platform
