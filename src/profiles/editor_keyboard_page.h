#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "profiles/key_assignment.h"

namespace zt640 {

/// The keyboard page of the key assignment editor: 126 positions shown as
/// options "keyboard_key_" + position, each carrying the catalogue value of
/// its key; positions without a key carry (0x20, 0, 0).
class EditorKeyboardPage {
 public:
  static constexpr size_t kPositionCount = 126;

  /// The row of a position: key index = position, the value, spare 0.
  [[nodiscard]] static KeyRecord Row(size_t position);
  /// The catalogue row shown at a position, or nullopt for no key.
  [[nodiscard]] static std::optional<size_t> CatalogueRow(size_t position);
  /// "keyboard_key_" + position.
  [[nodiscard]] static std::string OptionName(size_t position);
  /// The first position whose param1 and param2 equal the value's.
  [[nodiscard]] static std::optional<size_t> FindPosition(const KeyAssignment& value);
  /// The first position holding a plain key (no modifier) with this usage.
  [[nodiscard]] static std::optional<size_t> FindUsage(uint8_t usage);
};

}  // namespace zt640
