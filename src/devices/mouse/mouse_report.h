#pragma once

#include <cstdint>
#include <optional>

namespace zt640 {

/// What one 16-bit report the mouse sends on its own asks for.
struct MouseReport {
  enum class Kind {
    kRefresh,   ///< 0x0401: the settings are to be read again
    kReactive,  ///< 0x0403: a button press for the reactive lighting (wired only)
    kSlot,      ///< 0x10xx / 0x11xx: the active slot (and with 0x11 the DPI stage) changed
  };
  Kind kind = Kind::kRefresh;
  uint8_t slot = 0;                  ///< kSlot: low 4 bits
  std::optional<uint8_t> stage;      ///< kSlot from 0x11: bits 4-7, when a stage exists
  friend bool operator==(const MouseReport&, const MouseReport&) = default;
};

/// Decodes a report read by the cable's listener (`wired`) or the receiver's.
/// Anything else, a 0x0403 through the receiver, or a stage number the mouse
/// does not have (5 or more) asking nothing of its own: nullopt or no stage.
[[nodiscard]] std::optional<MouseReport> DecodeMouseReport(uint16_t value, bool wired);

}  // namespace zt640
