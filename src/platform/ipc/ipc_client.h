#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/ipc/window_address.h"
#include "platform/ipc/window_message.h"

namespace zt640::platform {

enum class IpcStatus {
  kOk,
  kNoWindow,    ///< no live window answers at that address
  kTimeout,     ///< the window did not answer in time
  kClosed,      ///< the window is closing and did not run the message
  kBusy,        ///< the window serves as many senders as it can; it did not run the message
  kUnknown,     ///< the receiving process has not registered that message name
  kTooLarge,    ///< the copy-data block is over `kMaxCopyDataBytes`
  kBadMessage,  ///< a registered id this process does not know, or an invalid message
  kIoError,     ///< the socket failed part way
};

[[nodiscard]] const char* IpcStatusText(IpcStatus status);

struct IpcSendOutcome {
  IpcStatus status = IpcStatus::kIoError;
  std::int64_t result = 0;  ///< the handler's answer when status is kOk
};

/// Reaches windows of any process through their sockets in the runtime folder.
/// Registered message ids are turned into their names here, so the receiver maps them
/// to its own ids. Usable from any thread.
class IpcClient {
 public:
  explicit IpcClient(std::string runtime_folder);

  /// The first live window matching the class and/or title (nothing = any), or nothing.
  [[nodiscard]] std::optional<WindowAddress> FindWindow(std::optional<std::string_view> class_name,
                                                        std::optional<std::string_view> title) const;

  /// Sends and waits for the handler's answer; `timeout_ms` < 0 waits for ever.
  [[nodiscard]] IpcSendOutcome SendMessage(const WindowAddress& window, const WindowMessage& message,
                                           std::int64_t timeout_ms = -1) const;

  /// Queues the message at the window and returns once it is handed over.
  [[nodiscard]] IpcStatus PostMessage(const WindowAddress& window, const WindowMessage& message) const;

  /// Sends a copy-data block (`kWmCopyData`, wparam `sender`, dwData `kind`).
  [[nodiscard]] IpcSendOutcome SendCopyData(const WindowAddress& window, std::uint64_t sender, std::uint64_t kind,
                                            std::span<const std::uint8_t> block, std::int64_t timeout_ms = -1) const;

  /// Posts the message to every live window in the runtime folder (this process's own
  /// included); returns how many took it.
  [[nodiscard]] int Broadcast(const WindowMessage& message) const;

  [[nodiscard]] const std::string& runtime_folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace zt640::platform
