#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zt640 {

/// The texts of one language file ("lan_en.xml"): a <Language> element whose
/// <Text key="..." value="..."/> children map language keys to UTF-8 texts.
/// A reader without the UI toolkit, for the command line.
class LanguageTexts {
 public:
  /// Reads the file; false when it cannot be read or holds no text entry.
  [[nodiscard]] bool Load(const std::string& path);
  /// Parses the text of a language file; entries that are not well formed
  /// are skipped. False when no entry was found.
  [[nodiscard]] bool Parse(std::string_view xml);

  /// The text of `key`, or the key itself when the file lacks it.
  [[nodiscard]] std::string Text(std::string_view key) const;
  [[nodiscard]] size_t size() const { return texts_.size(); }

 private:
  std::map<std::string, std::string, std::less<>> texts_;
};

}  // namespace zt640
