#include "profiles/editor_keyboard_page.h"

#include <array>

#include "profiles/key_catalogue.h"

namespace zt640 {

namespace {

/// Catalogue row of each position; -1 marks a position without a key.
constexpr std::array<int, EditorKeyboardPage::kPositionCount> kPositionRows{
    45, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 56, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 49, 50, 46, 76, 77, 78, 86, 87, 88, 89, 47, 24, 30, 12, 25, 27, 32, 28, 16, 22, 23, 51, 52, 53, 79, 80, 81, 98, 99, 100, 60, 8, 26, 11, 13, 14, 15, 17, 18, 19, 54, 55, 44, 95, 96, 97, 90, 1, 33, 31, 10, 29, 9, 21, 20, 57, 58, 59, 5, 85, 92, 93, 94, 91, 0, 3, 2, 48, 6, 140, 103, 4, 83, 84, 82, 101, 102, -1, 7, 135, 136, 137, 138, 139, 105, 106, 104, 107, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1
};

constexpr KeyAssignment kNoKey{0x20, 0, 0};

}  // namespace

std::optional<size_t> EditorKeyboardPage::CatalogueRow(size_t position) {
  if (position >= kPositionCount || kPositionRows[position] < 0) return std::nullopt;
  return static_cast<size_t>(kPositionRows[position]);
}

KeyRecord EditorKeyboardPage::Row(size_t position) {
  const std::optional<size_t> row = CatalogueRow(position);
  return KeyRecord{static_cast<uint16_t>(position), row ? KeyCatalogue::Rows()[*row].value : kNoKey, 0};
}

std::string EditorKeyboardPage::OptionName(size_t position) { return "keyboard_key_" + std::to_string(position); }

std::optional<size_t> EditorKeyboardPage::FindPosition(const KeyAssignment& value) {
  for (size_t position = 0; position < kPositionCount; ++position) {
    const KeyAssignment candidate = Row(position).assignment;
    if (candidate.param1 == value.param1 && candidate.param2 == value.param2) return position;
  }
  return std::nullopt;
}

std::optional<size_t> EditorKeyboardPage::FindUsage(uint8_t usage) {
  if (usage == 0) return std::nullopt;
  for (size_t position = 0; position < kPositionCount; ++position) {
    const KeyAssignment candidate = Row(position).assignment;
    if (candidate.type == 0x20 && candidate.param1 == 0 && candidate.param2 == usage) return position;
  }
  return std::nullopt;
}

}  // namespace zt640
