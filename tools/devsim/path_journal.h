#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zt640::devsim {

/// Creates folders, files and symlinks and remembers exactly what it created,
/// so RemoveAll (or the destructor) takes away those and nothing else, newest
/// first. Existing paths are never overwritten: a file or symlink that already
/// exists is a failure, an existing folder is used as it is and left in place.
class PathJournal {
 public:
  PathJournal() = default;
  ~PathJournal() { RemoveAll(); }
  PathJournal(const PathJournal&) = delete;
  PathJournal& operator=(const PathJournal&) = delete;

  /// Creates path and every missing parent. False with Error() set on failure.
  [[nodiscard]] bool MakeDirectories(const std::filesystem::path& path);
  [[nodiscard]] bool WriteFile(const std::filesystem::path& path, std::string_view contents);
  [[nodiscard]] bool MakeSymlink(const std::filesystem::path& target,
                                 const std::filesystem::path& link);
  /// Takes over the removal of a path created elsewhere (a bound socket).
  void Adopt(const std::filesystem::path& path);
  /// Removes everything recorded, newest first; a folder that is not empty
  /// (someone else put something in it) is left.
  void RemoveAll();

  [[nodiscard]] const std::string& Error() const { return error_; }

 private:
  std::vector<std::filesystem::path> created_;
  std::string error_;
};

}  // namespace zt640::devsim
