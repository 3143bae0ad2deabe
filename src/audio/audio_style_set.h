#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zt640 {

/// The four music styles: which one is in use, their names and, per style, the red,
/// green and blue weights (0-9 as the music window edits them) that the capture
/// process mixes its level colour from.
struct AudioStyleSet {
  static constexpr int kStyleCount = 4;
  static constexpr int kMaxWeight = 9;

  std::uint8_t selected = 0;  ///< 0-3
  std::array<std::wstring, kStyleCount> names{};
  /// Style s: red at 3s, green at 3s + 1, blue at 3s + 2.
  std::array<std::uint8_t, 3 * kStyleCount> values{};

  [[nodiscard]] std::uint8_t& Red(int style) { return values[static_cast<std::size_t>(3 * style)]; }
  [[nodiscard]] std::uint8_t& Green(int style) { return values[static_cast<std::size_t>(3 * style + 1)]; }
  [[nodiscard]] std::uint8_t& Blue(int style) { return values[static_cast<std::size_t>(3 * style + 2)]; }
  [[nodiscard]] std::uint8_t Red(int style) const { return values[static_cast<std::size_t>(3 * style)]; }
  [[nodiscard]] std::uint8_t Green(int style) const { return values[static_cast<std::size_t>(3 * style + 1)]; }
  [[nodiscard]] std::uint8_t Blue(int style) const { return values[static_cast<std::size_t>(3 * style + 2)]; }

  friend bool operator==(const AudioStyleSet&, const AudioStyleSet&) = default;
};

}  // namespace zt640
