#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zt640 {

/// What identifies one version of a file on disk: a replaced or rewritten
/// file gets another inode, size or modification time.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/// The stamp of the file at path (symlinks followed); none when it cannot be read.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::string& path);

}  // namespace zt640
