#pragma once

#include <span>

#include "pages/picture_layout.h"

namespace zt640 {

/// Where each key button "key_N" of the keyboard's picture sits, in key widths
/// (1u): the macro column, the main block of 15u with the function row above it,
/// the navigation block and the number pad, with gaps between the blocks. Keys
/// that only some keyboards have (the ISO, Japanese, Korean and Brazilian
/// extras) have their own places; the key beside one takes its place over when
/// the keyboard lacks it. UI keys whose factory value is "no key" have no place.
class KeyboardLayoutTable {
 public:
  /// The left edge and width of the main block, and the top of its number row.
  static constexpr double kMainLeft = 1.5;
  static constexpr double kMainWidth = 15;
  static constexpr double kNumberRowTop = 1.5;

  [[nodiscard]] static std::span<const PictureSpot> Spots();
};

}  // namespace zt640
