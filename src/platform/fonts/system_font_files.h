#pragma once

#include <string>
#include <vector>

namespace zt640::platform {

/// The font files the system's font configuration already offers to every program of
/// this user. A private font that is one of them need not be registered again: the
/// toolkit finds its faces through the same configuration.
class SystemFontFiles {
 public:
  /// The files fontconfig lists (the configuration the toolkit's font database reads).
  /// Empty when fontconfig cannot be initialised.
  [[nodiscard]] static SystemFontFiles FromFontconfig();

  /// An explicit list of font file paths (tests, other lookups).
  explicit SystemFontFiles(std::vector<std::string> files);

  /// Whether `path` is one of the listed files: the same file once links are followed,
  /// or a copy of one (same size and the same leading bytes, which hold the font's
  /// table directory with a checksum of every table). False for an unreadable path.
  [[nodiscard]] bool Has(const std::string& path) const;

  [[nodiscard]] std::size_t size() const { return files_.size(); }

 private:
  std::vector<std::string> files_;
};

}  // namespace zt640::platform
