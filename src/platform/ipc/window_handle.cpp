#include "platform/ipc/window_handle.h"

#include <dirent.h>

#include <string>
#include <string_view>

#include "platform/ipc/socket_io.h"
#include "platform/paths/name_hash.h"

namespace zt640::platform {

namespace {
std::uint64_t HandleOfFileName(std::string_view file_name) {
  const std::uint64_t hash = NameHash(file_name);
  return hash == 0 ? 1 : hash;
}
}  // namespace

std::uint64_t WindowHandleOf(const WindowAddress& window) {
  const std::string& path = window.socket_path;
  const std::size_t slash = path.rfind('/');
  return HandleOfFileName(slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1));
}

std::optional<WindowAddress> FindWindowByHandle(const IpcClient& client, std::uint64_t handle) {
  if (handle == 0) return std::nullopt;
  std::optional<std::string> match;
  if (DIR* dir = ::opendir(client.runtime_folder().c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (!ParseWindowSocketName(entry->d_name, nullptr, nullptr)) continue;
      if (HandleOfFileName(entry->d_name) == handle) {
        match = entry->d_name;
        break;
      }
    }
    ::closedir(dir);
  }
  if (!match) return std::nullopt;
  WindowAddress address{client.runtime_folder() + "/" + *match};
  UniqueFd probe;
  if (ConnectUnixSocket(address.socket_path, probe) != SocketStatus::kOk) return std::nullopt;
  return address;
}

}  // namespace zt640::platform
