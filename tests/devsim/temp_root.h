#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace zt640::test {

/// A fresh folder under /tmp (short, so socket paths fit), removed with
/// everything in it at the end of the test.
class TempRoot {
 public:
  TempRoot() {
    std::string pattern = "/tmp/zdsXXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempRoot() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace zt640::test
