#pragma once

#include <string>

namespace zt640::platform {

/// Outcome of finding the per-user runtime folder (sockets and lock files).
struct RuntimeFolderResult {
  bool ok = false;
  std::string path;    ///< the folder, without a trailing separator, when ok
  std::string reason;  ///< a readable reason when not ok
};

/// `$XDG_RUNTIME_DIR/zt640`, created with mode 0700. When the variable is unset, or the
/// folder cannot be made there, a private fallback `/tmp/zt640-<uid>` is used: it must
/// be a real directory (not a link) owned by this user with no group or other access,
/// otherwise the result is a failure rather than a folder others could tamper with.
[[nodiscard]] RuntimeFolderResult RuntimeFolder();

/// Makes `path` a private folder (mode 0700, owned by this user); the same checks as
/// above. Exposed for tests and for callers that pick their own folder.
[[nodiscard]] RuntimeFolderResult EnsurePrivateFolder(const std::string& path);

}  // namespace zt640::platform
