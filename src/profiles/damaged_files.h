#pragma once

#include <functional>
#include <string>

namespace zt640 {

/// What the user is told about a file that could not be read.
struct DamagedFileNotice {
  std::string path;         ///< the damaged file
  std::string backup_path;  ///< where its bytes are kept before the file is replaced
};

/// The files of this run found damaged when read: text that is no JSON, or a
/// document its owner cannot use without dropping part of it. Owners read such
/// a file as empty or as defaults and never write on a read; the first write
/// that replaces the file (WriteJsonFile, WriteFileAtomic) first keeps its
/// bytes as path + ".bak". The user is told once per file and run through the
/// listener the front end installs (the window's status line, the CLI's
/// stderr). A missing or empty file is not damaged. Thread-safe.
class DamagedFiles {
 public:
  using Listener = std::function<void(const DamagedFileNotice&)>;
  static constexpr char kBackupSuffix[] = ".bak";

  /// Records that the file at `path`, as it is on disk now, did not read
  /// intact. The first record of a file in this run raises its notice.
  static void Record(const std::string& path);
  /// Drops the record of `path`: it was read intact since.
  static void Forget(const std::string& path);
  [[nodiscard]] static bool IsRecorded(const std::string& path);

  /// Called before `path` is replaced. When it is recorded and unchanged
  /// since, its bytes are copied to path + ".bak" and the record dropped.
  /// False when that copy failed: the caller must then leave the file alone.
  [[nodiscard]] static bool KeepAside(const std::string& path);

  /// Installs the listener (an empty one removes it). Notices raised while
  /// none was installed are handed to the new listener at once. The listener
  /// runs on the thread that raised the notice, without any lock held.
  static void SetListener(Listener listener);

  /// Forgets every record, told file and pending notice (tests).
  static void Reset();
};

}  // namespace zt640
