#pragma once

#include <string>
#include <string_view>

namespace zt640::platform {

/// Where a window of another (or this) process listens: its socket in the runtime folder.
struct WindowAddress {
  std::string socket_path;
};

/// Socket file name of a window: "w-<hash of class>-<hash of title>.sock". Hashes keep
/// the name short and file-name-safe whatever the title holds, and let find-window match
/// on the class or the title alone.
[[nodiscard]] std::string WindowSocketName(std::string_view class_name, std::string_view title);

/// True when `file_name` is a window socket name; fills the two hash parts.
[[nodiscard]] bool ParseWindowSocketName(std::string_view file_name, std::string* class_hash, std::string* title_hash);

}  // namespace zt640::platform
