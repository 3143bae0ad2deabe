#include "platform/paths/program_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/paths/product_title.h"

namespace zt640::platform {

namespace {
bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string HomeBased(const char* variable, const char* fallback_below_home) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/" + fallback_below_home;
}

bool MakeFolders(const std::string& path) {
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string prefix = path.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsDirectory(path);
}
}  // namespace

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  const std::string path(buffer, static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ResourceFolderFrom(const std::string& program_folder, std::string_view name) {
  const std::string beside = program_folder + "/" + std::string(name);
  if (IsDirectory(beside)) return beside;
  const std::string shared = program_folder + "/../share/" + std::string(kProductWord) + "/" + std::string(name);
  if (IsDirectory(shared)) return shared;
  return beside;
}

std::string ResourceFolder(std::string_view name) { return ResourceFolderFrom(ProgramFolder(), name); }

std::string UserDataRoot() {
  const std::string base = HomeBased("XDG_DATA_HOME", ".local/share");
  if (base.empty()) return {};
  const std::string root = base + "/" + std::string(kProductTitle);
  return MakeFolders(root) ? root : std::string();
}

std::string UserConfigFolder() {
  const std::string base = HomeBased("XDG_CONFIG_HOME", ".config");
  return base.empty() ? std::string() : base + "/" + std::string(kProductWord);
}

}  // namespace zt640::platform
