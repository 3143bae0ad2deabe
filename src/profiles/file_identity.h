#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zt640 {

/// Profile UUIDs and macro Guids name files inside a device data folder, so
/// they are checked before they become part of a path.
class FileIdentity {
 public:
  /// Longest identity taken from a file; time-stamp names have 23 characters.
  static constexpr size_t kMaxLength = 64;

  /// True for a non-empty identity of at most kMaxLength printable ASCII
  /// characters without "/", "\\", ".." or a leading ".", so folder +
  /// identity + extension always names a file directly inside the folder.
  [[nodiscard]] static bool IsSafe(std::string_view identity);

  /// A new time-stamp name for which `taken` answers false. Names are made
  /// from the clock in milliseconds; when the current one is taken (two
  /// creations in one millisecond) the next millisecond is awaited.
  [[nodiscard]] static std::string MakeUnique(const std::function<bool(const std::string&)>& taken);
};

}  // namespace zt640
