#include "platform/paths/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/diag/debug_output.h"
#include "platform/paths/product_title.h"

namespace zt640::platform {

RuntimeFolderResult EnsurePrivateFolder(const std::string& path) {
  RuntimeFolderResult result;
  if (path.empty()) {
    result.reason = "empty runtime folder path";
    return result;
  }
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    result.reason = "cannot create " + path + ": " + std::strerror(errno);
    return result;
  }
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    result.reason = "cannot inspect " + path + ": " + std::strerror(errno);
    return result;
  }
  if (!S_ISDIR(info.st_mode)) {
    result.reason = path + " is not a directory";
    return result;
  }
  if (info.st_uid != ::getuid()) {
    result.reason = path + " belongs to another user";
    return result;
  }
  if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
    result.reason = path + " is open to other users and cannot be made private";
    return result;
  }
  if (::access(path.c_str(), W_OK | X_OK) != 0) {
    result.reason = path + " is not writable";
    return result;
  }
  result.ok = true;
  result.path = path;
  return result;
}

RuntimeFolderResult RuntimeFolder() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') {
    RuntimeFolderResult result = EnsurePrivateFolder(std::string(xdg) + "/" + std::string(kProductWord));
    if (result.ok) return result;
    DebugOutput("runtime folder: " + result.reason + "; using the private fallback");
  }
  return EnsurePrivateFolder("/tmp/" + std::string(kProductWord) + "-" + std::to_string(::getuid()));
}

}  // namespace zt640::platform
