#pragma once

#include "platform/ipc/ipc_client.h"
#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/socket_io.h"
#include "platform/ipc/window_message.h"

namespace zt640::platform {

/// How long a sender waits to hand a frame to a window's socket.
inline constexpr std::int64_t kIpcWriteTimeoutMs = 2000;

/// Builds the wire frame for `message`; kBadMessage or kTooLarge when it cannot travel.
[[nodiscard]] IpcStatus ToIpcFrame(const WindowMessage& message, IpcFrameKind kind, IpcFrame& frame);

/// What a socket failure means to a sender.
[[nodiscard]] IpcStatus IpcStatusOf(SocketStatus status);

/// The outcome a window's reply frame carries.
[[nodiscard]] IpcSendOutcome IpcOutcomeOfReply(const IpcFrame& reply);

/// A copy-data message (`kWmCopyData`, wparam `sender`, dwData `kind`).
[[nodiscard]] WindowMessage CopyDataMessage(std::uint64_t sender, std::uint64_t kind, std::span<const std::uint8_t> block);

}  // namespace zt640::platform
