#include "platform/ipc/ipc_client.h"

#include <dirent.h>

#include <algorithm>
#include <vector>

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/ipc_message_frame.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_connection.h"
#include "platform/paths/name_hash.h"

namespace zt640::platform {

namespace {

/// Connects and writes one frame; the connected socket stays in `fd` for a reply.
IpcStatus Deliver(const WindowAddress& window, const IpcFrame& frame, UniqueFd& fd) {
  const auto bytes = EncodeIpcFrame(frame);
  if (!bytes) return IpcStatus::kBadMessage;
  const SocketStatus connected = ConnectUnixSocket(window.socket_path, fd);
  if (connected != SocketStatus::kOk) return IpcStatusOf(connected);
  return IpcStatusOf(WriteAll(fd.get(), *bytes, kIpcWriteTimeoutMs));
}
}  // namespace

const char* IpcStatusText(IpcStatus status) {
  switch (status) {
    case IpcStatus::kOk: return "ok";
    case IpcStatus::kNoWindow: return "no such window";
    case IpcStatus::kTimeout: return "timed out";
    case IpcStatus::kClosed: return "window closing";
    case IpcStatus::kBusy: return "window busy";
    case IpcStatus::kUnknown: return "message not known to the receiver";
    case IpcStatus::kTooLarge: return "copy-data block too large";
    case IpcStatus::kBadMessage: return "invalid message";
    case IpcStatus::kIoError: return "socket error";
  }
  return "socket error";
}

IpcClient::IpcClient(std::string runtime_folder) : folder_(std::move(runtime_folder)) {}

std::optional<WindowAddress> IpcClient::FindWindow(std::optional<std::string_view> class_name,
                                                   std::optional<std::string_view> title) const {
  const std::string want_class = class_name ? NameHashHex(*class_name) : std::string();
  const std::string want_title = title ? NameHashHex(*title) : std::string();
  std::vector<std::string> candidates;
  if (DIR* dir = ::opendir(folder_.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      std::string class_hash;
      std::string title_hash;
      if (!ParseWindowSocketName(entry->d_name, &class_hash, &title_hash)) continue;
      if (class_name && class_hash != want_class) continue;
      if (title && title_hash != want_title) continue;
      candidates.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  std::sort(candidates.begin(), candidates.end());
  for (const std::string& name : candidates) {
    WindowAddress address{folder_ + "/" + name};
    UniqueFd probe;
    if (ConnectUnixSocket(address.socket_path, probe) == SocketStatus::kOk) return address;
  }
  return std::nullopt;
}

IpcSendOutcome IpcClient::SendMessage(const WindowAddress& window, const WindowMessage& message,
                                      std::int64_t timeout_ms) const {
  // A connection of its own, closed again once the answer is in.
  WindowConnection connection;
  return connection.SendMessage(window, message, timeout_ms);
}

IpcStatus IpcClient::PostMessage(const WindowAddress& window, const WindowMessage& message) const {
  IpcFrame frame;
  const IpcStatus status = ToIpcFrame(message, IpcFrameKind::kPost, frame);
  if (status != IpcStatus::kOk) return status;
  UniqueFd fd;
  return Deliver(window, frame, fd);
}

IpcSendOutcome IpcClient::SendCopyData(const WindowAddress& window, std::uint64_t sender, std::uint64_t kind,
                                       std::span<const std::uint8_t> block, std::int64_t timeout_ms) const {
  if (block.size() > kMaxCopyDataBytes) return {IpcStatus::kTooLarge, 0};
  return SendMessage(window, CopyDataMessage(sender, kind, block), timeout_ms);
}

int IpcClient::Broadcast(const WindowMessage& message) const {
  IpcFrame frame;
  if (ToIpcFrame(message, IpcFrameKind::kPost, frame) != IpcStatus::kOk || !frame.payload.empty()) return 0;
  int reached = 0;
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder_.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (ParseWindowSocketName(entry->d_name, nullptr, nullptr)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  for (const std::string& name : names) {
    UniqueFd fd;
    if (Deliver(WindowAddress{folder_ + "/" + name}, frame, fd) == IpcStatus::kOk) ++reached;
  }
  return reached;
}

}  // namespace zt640::platform
