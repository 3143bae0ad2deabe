#include "platform/sync/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/diag/debug_output.h"
#include "platform/paths/name_hash.h"

namespace zt640::platform {

NamedMutex::~NamedMutex() { Close(); }

std::string NamedMutex::LockFilePath(const std::string& folder, std::string_view name) {
  return folder + "/" + NameHashHex(name) + ".lock";
}

NamedMutexResult NamedMutex::Create(const std::string& folder, std::string_view name) {
  Close();
  const std::string path = LockFilePath(folder, name);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    DebugOutput("single-instance lock: cannot open " + path);
    return NamedMutexResult::kFailed;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return NamedMutexResult::kAlreadyExists;
    DebugOutput("single-instance lock: flock failed on " + path);
    return NamedMutexResult::kFailed;
  }
  fd_ = fd;
  return NamedMutexResult::kCreated;
}

void NamedMutex::Close() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zt640::platform
