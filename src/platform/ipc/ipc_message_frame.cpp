#include "platform/ipc/ipc_message_frame.h"

#include <optional>
#include <string>

#include "platform/ipc/registered_messages.h"

namespace zt640::platform {

IpcStatus ToIpcFrame(const WindowMessage& message, IpcFrameKind kind, IpcFrame& frame) {
  if (message.copy_data.size() > kMaxCopyDataBytes) return IpcStatus::kTooLarge;
  frame.kind = kind;
  if (message.message >= kFirstRegisteredMessage) {
    const std::optional<std::string> name = RegisteredMessageName(message.message);
    if (!name) return IpcStatus::kBadMessage;
    frame.name = *name;
  } else if (message.message == 0) {
    return IpcStatus::kBadMessage;
  } else {
    frame.message = message.message;
  }
  frame.wparam = message.wparam;
  frame.lparam = message.lparam;
  frame.copy_data_kind = message.copy_data_kind;
  frame.payload = message.copy_data;
  return IpcStatus::kOk;
}

IpcStatus IpcStatusOf(SocketStatus status) {
  switch (status) {
    case SocketStatus::kOk: return IpcStatus::kOk;
    case SocketStatus::kNoListener:
    case SocketStatus::kPathTooLong: return IpcStatus::kNoWindow;
    case SocketStatus::kTimeout: return IpcStatus::kTimeout;
    case SocketStatus::kClosed: return IpcStatus::kClosed;
    case SocketStatus::kMalformed:
    case SocketStatus::kError: return IpcStatus::kIoError;
  }
  return IpcStatus::kIoError;
}

IpcSendOutcome IpcOutcomeOfReply(const IpcFrame& reply) {
  if (reply.kind != IpcFrameKind::kReply) return {IpcStatus::kIoError, 0};
  switch (static_cast<IpcReplyStatus>(reply.wparam)) {
    case IpcReplyStatus::kHandled: return {IpcStatus::kOk, reply.lparam};
    case IpcReplyStatus::kClosed: return {IpcStatus::kClosed, 0};
    case IpcReplyStatus::kUnknown: return {IpcStatus::kUnknown, 0};
    case IpcReplyStatus::kBusy: return {IpcStatus::kBusy, 0};
  }
  return {IpcStatus::kIoError, 0};
}

WindowMessage CopyDataMessage(std::uint64_t sender, std::uint64_t kind, std::span<const std::uint8_t> block) {
  WindowMessage message;
  message.message = kWmCopyData;
  message.wparam = sender;
  message.copy_data_kind = kind;
  message.copy_data.assign(block.begin(), block.end());
  return message;
}

}  // namespace zt640::platform
