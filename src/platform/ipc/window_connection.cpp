#include "platform/ipc/window_connection.h"

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/ipc_message_frame.h"
#include "platform/ipc/socket_io.h"

namespace zt640::platform {

void WindowConnection::Close() {
  fd_.Reset();
  path_.clear();
}

WindowConnection::Attempt WindowConnection::Exchange(const std::string& path,
                                                     std::span<const std::vector<std::uint8_t>> frames,
                                                     std::span<IpcSendOutcome> outcomes, std::int64_t timeout_ms) {
  if (!fd_.valid()) {
    const SocketStatus connected = ConnectUnixSocket(path, fd_);
    if (connected != SocketStatus::kOk) {
      Close();
      return {0, {IpcStatusOf(connected), 0}};
    }
    path_ = path;
  }
  std::vector<std::uint8_t> bytes;
  for (const auto& frame : frames) bytes.insert(bytes.end(), frame.begin(), frame.end());
  const SocketStatus written = WriteAll(fd_.get(), bytes, kIpcWriteTimeoutMs);
  // A window that cannot take the message may answer and hang up before reading it: its
  // answer is then already waiting here.
  if (written != SocketStatus::kOk && written != SocketStatus::kClosed) {
    Close();
    return {0, {IpcStatusOf(written), 0}};
  }
  for (std::size_t i = 0; i < frames.size(); ++i) {
    IpcFrame reply;
    const SocketStatus read = ReadFrame(fd_.get(), written == SocketStatus::kOk ? timeout_ms : 0, reply);
    if (read != SocketStatus::kOk) {
      Close();
      const bool lost = written == SocketStatus::kClosed || read == SocketStatus::kClosed;
      return {i, {lost ? IpcStatus::kClosed : IpcStatusOf(read), 0}, lost};
    }
    outcomes[i] = IpcOutcomeOfReply(reply);
    // Only a handled message leaves the connection usable: the window closes it otherwise.
    if (outcomes[i].status != IpcStatus::kOk) {
      Close();
      return {i, outcomes[i]};
    }
  }
  return {frames.size(), {IpcStatus::kOk, 0}};
}

std::vector<IpcSendOutcome> WindowConnection::SendMessages(const WindowAddress& window,
                                                           std::span<const WindowMessage> messages,
                                                           std::int64_t timeout_ms) {
  std::vector<IpcSendOutcome> outcomes(messages.size(), IpcSendOutcome{IpcStatus::kBadMessage, 0});
  std::vector<std::vector<std::uint8_t>> frames;
  std::vector<std::size_t> sent_index;  // the message each frame carries
  for (std::size_t i = 0; i < messages.size(); ++i) {
    IpcFrame frame;
    if (const IpcStatus status = ToIpcFrame(messages[i], IpcFrameKind::kSend, frame); status != IpcStatus::kOk) {
      outcomes[i] = {status, 0};
      continue;
    }
    auto bytes = EncodeIpcFrame(frame);
    if (!bytes) continue;
    frames.push_back(std::move(*bytes));
    sent_index.push_back(i);
  }
  if (path_ != window.socket_path) Close();
  std::vector<IpcSendOutcome> answers(frames.size(), IpcSendOutcome{IpcStatus::kClosed, 0});
  std::size_t done = 0;
  bool replaced = false;
  while (done < frames.size()) {
    const bool kept = fd_.valid();
    const std::span<const std::vector<std::uint8_t>> rest(frames.data() + done, frames.size() - done);
    const Attempt attempt = Exchange(window.socket_path, rest, std::span(answers).subspan(done), timeout_ms);
    done += attempt.answered;
    if (done == frames.size()) break;
    // A kept connection the window had closed never handed on what it did not answer.
    if (kept && attempt.lost && !replaced) {
      replaced = true;
      continue;
    }
    for (std::size_t i = done; i < frames.size(); ++i) answers[i] = attempt.failure;
    break;
  }
  for (std::size_t i = 0; i < frames.size(); ++i) outcomes[sent_index[i]] = answers[i];
  return outcomes;
}

IpcSendOutcome WindowConnection::SendMessage(const WindowAddress& window, const WindowMessage& message,
                                             std::int64_t timeout_ms) {
  return SendMessages(window, std::span(&message, 1), timeout_ms).front();
}

IpcSendOutcome WindowConnection::SendCopyData(const WindowAddress& window, std::uint64_t sender, std::uint64_t kind,
                                              std::span<const std::uint8_t> block, std::int64_t timeout_ms) {
  if (block.size() > kMaxCopyDataBytes) return {IpcStatus::kTooLarge, 0};
  return SendMessage(window, CopyDataMessage(sender, kind, block), timeout_ms);
}

}  // namespace zt640::platform
