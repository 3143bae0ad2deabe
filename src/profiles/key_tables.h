#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "profiles/key_assignment.h"

namespace zt640 {

/// Type codes of a KeyAssignment (byte 0). Other types mean nothing to the
/// system and are stored and sent unchanged.
namespace key_type {
inline constexpr uint8_t kDefault = 0x00;          ///< named like a keyboard key
inline constexpr uint8_t kMouseButton = 0x10;
inline constexpr uint8_t kHorizontalScroll = 0x11;
inline constexpr uint8_t kVerticalWheel = 0x12;
inline constexpr uint8_t kDpiAction = 0x13;
inline constexpr uint8_t kFireKey = 0x14;
inline constexpr uint8_t kReserved15 = 0x15;
inline constexpr uint8_t kDpiShift = 0x16;
inline constexpr uint8_t kKeyboardKey = 0x20;
inline constexpr uint8_t kReserved21 = 0x21;
inline constexpr uint8_t kShortcutCommand = 0x22;
inline constexpr uint8_t kShowWindow = 0x23;
inline constexpr uint8_t kConsumerControl = 0x30;
inline constexpr uint8_t kSystemControl = 0x40;
inline constexpr uint8_t kReserved50 = 0x50;
inline constexpr uint8_t kReserved60 = 0x60;
inline constexpr uint8_t kMacroPlayMode = 0x70;
inline constexpr uint8_t kMacroRepeat = 0x71;
inline constexpr uint8_t kGunKey = 0x72;
inline constexpr uint8_t kSpecialKey = 0xA0;
inline constexpr uint8_t kReservedB0 = 0xB0;
inline constexpr uint8_t kReservedC0 = 0xC0;
inline constexpr uint8_t kMKey = 0xD0;
}  // namespace key_type

/// One row of a fixed assignment table: the value and its name key.
struct KeyTableRow {
  KeyAssignment value;
  const char* name_key;
};

/// The fixed tables of assignments offered by the editor, in list order.
class KeyTables {
 public:
  [[nodiscard]] static std::span<const KeyTableRow> MouseButtons();
  [[nodiscard]] static std::span<const KeyTableRow> DpiActions();
  [[nodiscard]] static std::span<const KeyTableRow> SystemControls();
  [[nodiscard]] static std::span<const KeyTableRow> ConsumerControls();
  /// Keyboard keys with modifier mask 0x10, offered as combination keys.
  [[nodiscard]] static std::span<const KeyTableRow> CombinationKeys();
  /// Type 0x22; param2 is the command number.
  [[nodiscard]] static std::span<const KeyTableRow> ShortcutCommands();
  /// Name keys of the gun keys, by pattern number 0-3.
  [[nodiscard]] static std::span<const char* const> GunKeyNames();

  /// The first row whose param1 and param2 equal the value's.
  [[nodiscard]] static std::optional<size_t> FindRow(std::span<const KeyTableRow> table, const KeyAssignment& value);
};

}  // namespace zt640
