#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zt640 {

/// The fixed layouts and curves of the keyboard's host effects. Keys are UI key
/// indices (0-125); 170 marks "no key".
class KeyboardEffectTables {
 public:
  static constexpr uint8_t kNoKey = 170;
  static constexpr int kColumns = 23;
  static constexpr int kRows = 6;
  static constexpr int kKeyGroupCount = 12;
  static constexpr int kSweepFrameCount = 52;
  static constexpr int kSweepFrameKeys = 12;
  static constexpr int kSnakeLength = 171;
  static constexpr int kShowRows = 20;
  static constexpr int kShowPairs = 16;

  /// The 23 x 6 grid, [column][row], row 0 at the top.
  [[nodiscard]] static const std::array<std::array<uint8_t, kRows>, kColumns>& Grid();
  /// The path through the keys the travelling effects follow.
  [[nodiscard]] static std::span<const uint8_t> KeyOrder();
  /// True when the key lies on the key order path.
  [[nodiscard]] static bool InKeyOrder(unsigned key);
  /// 96-step brightness of kColumnSweep's single-colour sweep.
  [[nodiscard]] static const std::array<uint8_t, 96>& SweepCurve();
  /// 192-step brightness of the twinkling keys (kTwinklePath and kStaggeredBreath).
  [[nodiscard]] static const std::array<uint8_t, 192>& TwinkleCurve();
  /// Start phases of kTwinklePath, [row][column] over a 23 x 7 layout.
  [[nodiscard]] static const std::array<std::array<uint8_t, kColumns>, 7>& TwinkleLayout();
  [[nodiscard]] static std::span<const uint8_t> KeyGroup(int group);
  [[nodiscard]] static const std::array<uint8_t, kSnakeLength>& SnakePath();
  [[nodiscard]] static const std::array<std::array<uint8_t, 6>, kShowRows>& ShowRows();
  [[nodiscard]] static const std::array<std::array<uint8_t, 2>, kShowPairs>& ShowPairs();
  [[nodiscard]] static const std::array<std::array<uint8_t, kSweepFrameKeys>, kSweepFrameCount>&
  SweepFrames();

  /// Grid column and row of a key; false for a key not on the grid.
  [[nodiscard]] static bool GridPosition(unsigned key, int* column, int* row);
};

}  // namespace zt640
