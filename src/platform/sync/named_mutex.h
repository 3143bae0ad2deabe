#pragma once

#include <string>
#include <string_view>

namespace zt640::platform {

enum class NamedMutexResult {
  kCreated,        ///< this process now owns the name
  kAlreadyExists,  ///< another open owner holds it (another instance runs)
  kFailed,         ///< the lock file could not be opened or locked
};

/// The single-instance mutex: an exclusive `flock` on a lock file named from the mutex
/// name in the runtime folder. The kernel drops the lock when its owner dies, so a lock
/// file left by a crashed instance is simply taken over by the next start.
class NamedMutex {
 public:
  NamedMutex() = default;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  ~NamedMutex();

  /// Tries to own `name` in `folder` without waiting.
  [[nodiscard]] NamedMutexResult Create(const std::string& folder, std::string_view name);

  /// Releases ownership (the lock file stays; it carries no state).
  void Close();

  [[nodiscard]] bool IsOwned() const { return fd_ >= 0; }

  /// The lock file used for `name` in `folder`.
  [[nodiscard]] static std::string LockFilePath(const std::string& folder, std::string_view name);

 private:
  int fd_ = -1;
};

}  // namespace zt640::platform
