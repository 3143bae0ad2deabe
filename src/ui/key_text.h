#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zt640 {

/// Texts of language keys for the device pages, with a readable fallback for key
/// names that the language files do not list ("keyboard_key_LCtrl" shows "LCtrl").
class KeyText {
 public:
  /// The current language's text of `key`, or the key itself.
  [[nodiscard]] static QString Language(const QString& key);
  /// The text of a key or function name key: the language's when it has one, else
  /// the name key without its family prefix, "_" shown as a space.
  [[nodiscard]] static std::string ForNameKey(std::string_view name_key);
  /// As ForNameKey, in the language's short form where it has one.
  [[nodiscard]] static std::string ShortForNameKey(std::string_view name_key);
  /// The readable fallback alone.
  [[nodiscard]] static std::string Readable(std::string_view name_key);
};

}  // namespace zt640
