#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/key_assignment.h"

namespace zt640 {

/// Which device panel shows the text; a few types are named differently.
enum class KeyPanelKind { Keyboard, Mouse };

/// Text shown for a type the system gives no meaning to.
inline constexpr char kClosedText[] = "关闭";

/// Resolves a name key to the text of the current language.
using NameKeyText = std::function<std::string(std::string_view name_key)>;

/// The line of text a device panel shows next to a key.
class KeyDisplayName {
 public:
  /// The text of `value`; nullopt when the key's line is to be left as it was
  /// (reserved types, and table types whose parameters match no row).
  /// `macro_names` is the device's macro library in order; `text_of` turns
  /// name keys into texts (macro names are shown as they are).
  [[nodiscard]] static std::optional<std::string> Text(const KeyAssignment& value, KeyPanelKind panel,
                                                       const std::vector<std::string>& macro_names,
                                                       const NameKeyText& text_of);
};

}  // namespace zt640
