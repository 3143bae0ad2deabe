#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "profiles/key_assignment.h"

namespace zt640 {

/// The keys the system knows by name: Windows-style virtual-key code, the
/// assignment value, the language key of the name and, for the first 113 rows,
/// the PC scan code (set 1 make code) with its extended-key flag.
class KeyCatalogue {
 public:
  struct Row {
    uint16_t virtual_key;
    KeyAssignment value;
    const char* name_key;
    uint8_t scan_code;
    bool extended;
    bool has_scan_code;
  };

  static constexpr size_t kRowCount = 142;
  /// Rows that may carry a scan code; key capture searches only these.
  static constexpr size_t kScanRowCount = 113;
  /// Name key that follows the catalogue's names without a row of its own.
  static constexpr const char* kColorNameKey = "keyboard_key_COLOR";

  [[nodiscard]] static std::span<const Row> Rows();
  /// The first of the scan-code rows with this scan code and flag.
  [[nodiscard]] static std::optional<size_t> FindByScanCode(uint8_t scan_code, bool extended);
  /// The first row with this virtual-key code (several rows share 0xFF and 0xBF).
  [[nodiscard]] static std::optional<size_t> FindByVirtualKey(uint16_t virtual_key);
};

}  // namespace zt640
