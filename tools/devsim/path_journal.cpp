#include "devsim/path_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "devsim/unique_fd.h"

namespace zt640::devsim {
namespace fs = std::filesystem;

namespace {

std::string Describe(const char* what, const fs::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

bool PathJournal::MakeDirectories(const fs::path& path) {
  std::vector<fs::path> missing;
  for (fs::path p = path; !p.empty(); p = p.parent_path()) {
    struct stat info {};
    if (::lstat(p.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {
        error_ = Describe("not a folder:", p, ENOTDIR);
        return false;
      }
      break;
    }
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), 0755) != 0 && errno != EEXIST) {
      error_ = Describe("cannot create folder", *it, errno);
      return false;
    }
    created_.push_back(*it);
  }
  return true;
}

bool PathJournal::WriteFile(const fs::path& path, std::string_view contents) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!fd.Valid()) {
    error_ = Describe("cannot create", path, errno);
    return false;
  }
  created_.push_back(path);
  size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd.Get(), contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = Describe("cannot write", path, errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PathJournal::MakeSymlink(const fs::path& target, const fs::path& link) {
  if (::symlink(target.c_str(), link.c_str()) != 0) {
    error_ = Describe("cannot create symlink", link, errno);
    return false;
  }
  created_.push_back(link);
  return true;
}

void PathJournal::Adopt(const fs::path& path) { created_.push_back(path); }

void PathJournal::RemoveAll() {
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    struct stat info {};
    if (::lstat(it->c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      ::rmdir(it->c_str());
    } else {
      ::unlink(it->c_str());
    }
  }
  created_.clear();
}

}  // namespace zt640::devsim
