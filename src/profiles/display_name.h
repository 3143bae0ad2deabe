#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zt640 {

/// Rules for the names users give profiles and macros (UTF-8 text).
class DisplayName {
 public:
  /// Longest name accepted, in characters (code points).
  static constexpr size_t kMaxLength = 64;

  /// The text with malformed UTF-8 replaced by U+FFFD.
  [[nodiscard]] static std::string Sanitised(std::string_view text);
  /// True when the text is empty or only white space (ASCII white space,
  /// no-break space, ideographic space).
  [[nodiscard]] static bool IsBlank(std::string_view text);
  [[nodiscard]] static bool ContainsAmpersand(std::string_view text) { return text.find('&') != std::string_view::npos; }
  /// True when the text holds a control character (line ends, tabs, DEL...).
  [[nodiscard]] static bool ContainsControl(std::string_view text);
  /// Number of code points of UTF-8 text.
  [[nodiscard]] static size_t Length(std::string_view text);
  /// The first `count` code points.
  [[nodiscard]] static std::string Truncated(std::string_view text, size_t count);
  /// Control characters removed, malformed UTF-8 replaced and cut to
  /// kMaxLength: the repair of a name read from a damaged file or taken from
  /// a file title.
  [[nodiscard]] static std::string Repaired(std::string_view text);

  /// `make`(k) for k = first, first + 1, ... until `used` answers false.
  [[nodiscard]] static std::string FirstFree(const std::function<bool(const std::string&)>& used,
                                             const std::function<std::string(int)>& make, int first);
};

}  // namespace zt640
