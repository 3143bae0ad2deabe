#include "profiles/damaged_files.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/diag/debug_output.h"
#include "profiles/file_stamp.h"

namespace zt640 {

namespace {

/// Notices kept while no listener is installed; more would only come from a
/// folder of broken files, and the first ones say enough.
constexpr size_t kMaxPendingNotices = 32;

struct Registry {
  std::mutex mutex;
  /// Guards the members below.
  std::map<std::string, FileStamp> recorded;  ///< file -> the version found damaged
  std::set<std::string> told;
  std::vector<DamagedFileNotice> pending;
  DamagedFiles::Listener listener;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

/// One name per file, whatever way it was reached: symbolic links resolved,
/// the path made absolute.
std::string FileKey(const std::string& path) {
  std::error_code error;
  std::filesystem::path key = std::filesystem::weakly_canonical(path, error);
  if (error) key = std::filesystem::absolute(path, error).lexically_normal();
  return key.string();
}

}  // namespace

void DamagedFiles::Record(const std::string& path) {
  const std::optional<FileStamp> stamp = StampOf(path);
  if (!stamp) return;
  const std::string key = FileKey(path);
  Registry& registry = TheRegistry();
  Listener listener;
  DamagedFileNotice notice{key, key + kBackupSuffix};
  {
    std::lock_guard lock(registry.mutex);
    registry.recorded[key] = *stamp;
    if (!registry.told.insert(key).second) return;
    if (registry.listener) {
      listener = registry.listener;
    } else if (registry.pending.size() < kMaxPendingNotices) {
      registry.pending.push_back(notice);
    }
  }
  platform::DebugOutput("damaged file: " + key);
  if (listener) listener(notice);
}

void DamagedFiles::Forget(const std::string& path) {
  const std::string key = FileKey(path);
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.recorded.erase(key);
}

bool DamagedFiles::IsRecorded(const std::string& path) {
  const std::string key = FileKey(path);
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.recorded.count(key) != 0;
}

bool DamagedFiles::KeepAside(const std::string& path) {
  const std::string key = FileKey(path);
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.recorded.find(key);
  if (found == registry.recorded.end()) return true;
  // A file replaced by someone else since it was read is not the damaged one.
  if (StampOf(key) != found->second) {
    registry.recorded.erase(found);
    return true;
  }
  std::error_code error;
  std::filesystem::copy_file(key, key + kBackupSuffix, std::filesystem::copy_options::overwrite_existing, error);
  if (error) {
    platform::DebugOutput("damaged file not kept aside, so not replaced: " + key);
    return false;
  }
  registry.recorded.erase(found);
  return true;
}

void DamagedFiles::SetListener(Listener listener) {
  Registry& registry = TheRegistry();
  std::vector<DamagedFileNotice> pending;
  {
    std::lock_guard lock(registry.mutex);
    registry.listener = listener;
    if (listener) pending.swap(registry.pending);
  }
  for (const DamagedFileNotice& notice : pending) listener(notice);
}

void DamagedFiles::Reset() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.recorded.clear();
  registry.told.clear();
  registry.pending.clear();
}

}  // namespace zt640
