#include "platform/fonts/system_font_files.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <utility>

namespace zt640::platform {

namespace {
/// Leading bytes compared to tell a copy of a listed file: far beyond the table
/// directory of any font this program ships.
constexpr std::size_t kComparedBytes = 64 * 1024;

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

bool SameLeadingBytes(const std::string& a, const std::string& b, std::size_t size) {
  std::ifstream first(a, std::ios::binary);
  std::ifstream second(b, std::ios::binary);
  if (!first || !second) return false;
  const std::size_t count = size < kComparedBytes ? size : kComparedBytes;
  std::string left(count, '\0');
  std::string right(count, '\0');
  first.read(left.data(), static_cast<std::streamsize>(count));
  second.read(right.data(), static_cast<std::streamsize>(count));
  return first.gcount() == static_cast<std::streamsize>(count) &&
         second.gcount() == static_cast<std::streamsize>(count) && left == right;
}

struct PatternFree {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetFree {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct FontSetFree {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
}  // namespace

SystemFontFiles::SystemFontFiles(std::vector<std::string> files) : files_(std::move(files)) {
  // A collection file is listed once per face it holds.
  std::sort(files_.begin(), files_.end());
  files_.erase(std::unique(files_.begin(), files_.end()), files_.end());
}

SystemFontFiles SystemFontFiles::FromFontconfig() {
  std::vector<std::string> files;
  // The default configuration is process-wide: the toolkit's font database reuses
  // what is loaded here instead of reading the caches a second time.
  if (FcInit() == FcFalse) return SystemFontFiles(std::move(files));
  const std::unique_ptr<FcPattern, PatternFree> pattern(FcPatternCreate());
  const std::unique_ptr<FcObjectSet, ObjectSetFree> objects(FcObjectSetBuild(FC_FILE, nullptr));
  if (!pattern || !objects) return SystemFontFiles(std::move(files));
  const std::unique_ptr<FcFontSet, FontSetFree> fonts(FcFontList(nullptr, pattern.get(), objects.get()));
  if (!fonts) return SystemFontFiles(std::move(files));
  files.reserve(static_cast<std::size_t>(fonts->nfont));
  for (int i = 0; i < fonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
      files.emplace_back(reinterpret_cast<const char*>(file));
    }
  }
  return SystemFontFiles(std::move(files));
}

bool SystemFontFiles::Has(const std::string& path) const {
  const std::string real = RealPath(path);
  struct stat own {};
  if (real.empty() || ::stat(real.c_str(), &own) != 0 || !S_ISREG(own.st_mode)) return false;
  for (const std::string& file : files_) {
    struct stat listed {};
    if (::stat(file.c_str(), &listed) != 0 || listed.st_size != own.st_size) continue;
    if (listed.st_dev == own.st_dev && listed.st_ino == own.st_ino) return true;
    if (SameLeadingBytes(real, file, static_cast<std::size_t>(own.st_size))) return true;
  }
  return false;
}

}  // namespace zt640::platform
