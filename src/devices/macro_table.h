#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <json/value.h>

namespace zt640 {

/// One macro event in device form (4 bytes in the on-device table).
struct MacroDeviceEvent {
  uint16_t delay = 0;   ///< low 16 bits of the "Delay" text
  uint8_t type = 0;     ///< "Type", bit 7 set for a "down" action
  uint8_t button = 0;   ///< "Button"
  friend constexpr bool operator==(const MacroDeviceEvent&, const MacroDeviceEvent&) = default;
};

/// The on-device macro table: a header with signature 0x55AA, total length T
/// and macro count M, M block offsets, then one block per macro (event count,
/// two reserved bytes, 4 bytes per event). All integers little-endian.
class MacroTable {
 public:
  static constexpr size_t kHeaderSize = 16;
  static constexpr size_t kSignatureOffset = 0;
  static constexpr size_t kLengthOffset = 2;
  static constexpr size_t kCountOffset = 4;
  static constexpr size_t kBlockHeaderSize = 4;
  static constexpr size_t kEventSize = 4;
  static constexpr uint16_t kSignature = 0x55AA;

  /// T = 16 + 6M + 4 x (total events).
  [[nodiscard]] static size_t TotalSize(std::span<const std::vector<MacroDeviceEvent>> macros);
  /// The whole table; empty when T does not fit its 16-bit length field.
  [[nodiscard]] static std::vector<uint8_t> Build(std::span<const std::vector<MacroDeviceEvent>> macros);
  /// The events of one macro file's "Events" array. The type keeps its own
  /// bit 7 only through the action: the stored type is ("Type" & 0x7F) with
  /// bit 7 set exactly when "Action" is "down".
  [[nodiscard]] static std::vector<MacroDeviceEvent> EventsFromJson(const Json::Value& events);
  /// The low 16 bits of a decimal text ("70000" -> 4464); anything that is not
  /// decimal digits reads as 0.
  [[nodiscard]] static uint16_t DelayFromText(const std::string& text);
};

}  // namespace zt640
