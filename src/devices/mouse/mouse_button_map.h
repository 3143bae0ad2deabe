#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "profiles/key_assignment.h"

namespace zt640 {

/// The mouse's logical buttons (the ones its panel shows) and where each sits
/// in the device's key table. A logical button is found as the first device key
/// whose current value is the button's factory value.
class MouseButtonMap {
 public:
  static constexpr size_t kButtonCount = 11;
  /// The position of a logical button the mouse does not have.
  static constexpr uint8_t kAbsent = 0xAA;

  enum Button : size_t {
    kLeft, kRight, kMiddle, kForward, kBack, kDpiUp, kDpiDown, kDpiCycle, kGmKey, kDpiShift, kFireKey
  };

  /// The factory value of logical button `button` (0-10).
  [[nodiscard]] static KeyAssignment FactoryValue(size_t button);

  /// Every button kAbsent.
  MouseButtonMap();
  /// Matches the buttons against the first `key_count` 3-byte entries of
  /// `table` (entries beyond the table's length do not exist), completed by
  /// the positions `remembered` from the last complete read of this model
  /// (255: none), so a button reassigned on the mouse keeps its position.
  [[nodiscard]] static MouseButtonMap Match(std::span<const uint8_t> table, unsigned key_count,
                                            std::span<const uint8_t> remembered = {});
  /// The positions as the remembered match stores them (255 for absent).
  [[nodiscard]] std::array<uint8_t, kButtonCount> RememberedForm() const;

  /// The device key position of `button`, or kAbsent.
  [[nodiscard]] uint8_t Position(size_t button) const {
    return button < kButtonCount ? positions_[button] : kAbsent;
  }
  [[nodiscard]] bool Has(size_t button) const { return Position(button) != kAbsent; }
  [[nodiscard]] const std::array<uint8_t, kButtonCount>& Positions() const { return positions_; }

 private:
  std::array<uint8_t, kButtonCount> positions_{};
};

}  // namespace zt640
