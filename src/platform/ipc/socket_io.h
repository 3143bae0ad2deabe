#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/unique_fd.h"

namespace zt640::platform {

/// Outcome of one socket step.
enum class SocketStatus { kOk, kNoListener, kTimeout, kClosed, kMalformed, kPathTooLong, kError };

/// Connects a stream socket to the Unix socket at `path` (close-on-exec). kNoListener
/// when nothing listens there (no file, or a stale file left by a dead process).
[[nodiscard]] SocketStatus ConnectUnixSocket(const std::string& path, UniqueFd& out);

/// Writes every byte before `timeout_ms` passes (negative: no limit). Never raises SIGPIPE.
[[nodiscard]] SocketStatus WriteAll(int fd, std::span<const std::uint8_t> bytes, std::int64_t timeout_ms);

/// Reads one frame: header first (checked before any body byte is read, so an oversized
/// or malformed frame is refused unread), then its body, all before `timeout_ms` passes.
/// kClosed when the peer closed before sending anything.
[[nodiscard]] SocketStatus ReadFrame(int fd, std::int64_t timeout_ms, IpcFrame& frame, std::string* reason = nullptr);

/// True when `path` fits a Unix socket address.
[[nodiscard]] bool FitsSocketAddress(const std::string& path);

}  // namespace zt640::platform
