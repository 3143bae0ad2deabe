#pragma once

#include <cstdint>
#include <string_view>

namespace zt640::platform::input {

/// What a running hook captures for; the mode decides which registered message
/// each keyboard or mouse event is sent as.
enum class HookMode : std::uint32_t {
  kNone = 0,
  kSingleKey = 1,             ///< key assignment editor: capture one key
  kHitKey = 2,                ///< capture a hit key
  kRecordAppend = 4,          ///< macro recording, appending
  kRecordBefore = 8,          ///< macro recording, inserting before the selected event
  kRecordAfter = 16,          ///< macro recording, inserting after the selected event
  kChangeSelected = 32,       ///< change the selected macro event
  kMouseSingleKey = 256,      ///< mouse panel: capture one key
  kMouseHitKey = 512,         ///< mouse panel: capture a hit key
  kMouseKeyboardMacro = 1024, ///< mouse panel: keyboard macro
};

/// Keyboard message ids, the first parameter of a keyboard hook message. A key-down or
/// system-key-down id is a press; anything else a release.
inline constexpr std::uint32_t kKeyDownMessage = 0x0100;
inline constexpr std::uint32_t kKeyUpMessage = 0x0101;
inline constexpr std::uint32_t kSysKeyDownMessage = 0x0104;
inline constexpr std::uint32_t kSysKeyUpMessage = 0x0105;

[[nodiscard]] constexpr bool IsKeyPress(std::uint32_t message_id) {
  return message_id == kKeyDownMessage || message_id == kSysKeyDownMessage;
}

/// Mouse message ids, the first parameter of a mouse hook message.
inline constexpr std::uint32_t kLeftButtonDown = 0x0201;
inline constexpr std::uint32_t kLeftButtonUp = 0x0202;
inline constexpr std::uint32_t kRightButtonDown = 0x0204;
inline constexpr std::uint32_t kRightButtonUp = 0x0205;
inline constexpr std::uint32_t kMiddleButtonDown = 0x0207;
inline constexpr std::uint32_t kMiddleButtonUp = 0x0208;
inline constexpr std::uint32_t kExtraButtonDown = 0x020B;
inline constexpr std::uint32_t kExtraButtonUp = 0x020C;
/// High 16 bits of the mouse data of an extra-button message.
inline constexpr std::uint16_t kExtraButtonBack = 1;
inline constexpr std::uint16_t kExtraButtonForward = 2;

/// Virtual keys the keyboard hook always passes on to the system.
inline constexpr std::uint32_t kVirtualKeyCapsLock = 20;
inline constexpr std::uint32_t kVirtualKeyNumLock = 144;
inline constexpr std::uint32_t kVirtualKeyScrollLock = 145;

/// The record a keyboard hook message's second parameter points to. It lives only for
/// the synchronous send that carries it.
struct KeyHookRecord {
  std::uint32_t virtual_key = 0;  ///< Windows-style virtual-key code
  std::uint32_t scan_code = 0;    ///< PC scan code, set 1 make code
  bool extended = false;          ///< the extended-key (0xE0 prefix) flag
  std::uint32_t time_ms = 0;      ///< tick count of the event
};

/// The record a mouse hook message's second parameter points to; same lifetime.
struct MouseHookRecord {
  std::int32_t x = 0;  ///< cursor position on the screen
  std::int32_t y = 0;
  std::uint16_t mouse_data_high = 0;  ///< extra buttons: kExtraButtonBack or kExtraButtonForward
  std::uint32_t time_ms = 0;
};

/// Registered message name of a keyboard event in `mode`; empty for a mode that sends none.
[[nodiscard]] constexpr std::string_view KeyboardMessageName(HookMode mode) {
  switch (mode) {
    case HookMode::kSingleKey: return "WM_HOOK_KEY_SINGLEKEY_MSG";
    case HookMode::kHitKey: return "WM_HOOK_KEY_HITKEY_MSG";
    case HookMode::kRecordAppend: return "WM_HOOK_KEY_KBMACRO_MSG";
    case HookMode::kRecordBefore: return "WM_HOOK_KEY_KBMACROPREVIOUS_MSG";
    case HookMode::kRecordAfter: return "WM_HOOK_KEY_KBMACROLATER_MSG";
    case HookMode::kChangeSelected: return "WM_HOOK_KEY_KBMACROSINGLE_MSG";
    case HookMode::kMouseSingleKey: return "WM_HOOK_MOU_SINGLEKEY_MSG";
    case HookMode::kMouseHitKey: return "WM_HOOK_MOU_HITKEY_MSG";
    case HookMode::kMouseKeyboardMacro: return "WM_HOOK_MOU_KBMACRO_MSG";
    case HookMode::kNone: break;
  }
  return {};
}

/// Registered message name of a mouse event in `mode`; empty for a mode that sends none.
[[nodiscard]] constexpr std::string_view MouseMessageName(HookMode mode) {
  switch (mode) {
    case HookMode::kRecordAppend: return "WM_HOOK_KEY_MSMACRO_MSG";
    case HookMode::kRecordBefore: return "WM_HOOK_KEY_MSMACROPREVIOUS_MSG";
    case HookMode::kRecordAfter: return "WM_HOOK_KEY_MSMACROLATER_MSG";
    case HookMode::kChangeSelected: return "WM_HOOK_KEY_MSMACROSINGLE_MSG";
    default: break;
  }
  return {};
}

}  // namespace zt640::platform::input
