#pragma once

#include <cstdint>

namespace zt640 {

/// Device kind codes of the catalogue rows. Rows, files and messages carry the
/// raw number; code compares kinds only through these names.
enum class DeviceKind : uint16_t {
  kNone = 0,
  kKeyboard = 1,
  kMouse = 2,
  kMousePad = 3,
  /// A second headset code and the hub: the selector icons and the lighting
  /// layouts know them, though no catalogue row carries them.
  kOtherHeadset = 4,
  kHub = 5,
  kMouseReceiver = 6,
  kHeadset = 7,
  kKeyboardReceiver = 9,
};

/// The raw code of a kind, as rows and files hold it.
[[nodiscard]] constexpr uint16_t ToRaw(DeviceKind kind) { return static_cast<uint16_t>(kind); }

/// The kind of a raw code read from a row or a file; kNone for a code no kind has.
[[nodiscard]] constexpr DeviceKind DeviceKindFromRaw(int64_t raw) {
  switch (raw) {
    case ToRaw(DeviceKind::kKeyboard):
    case ToRaw(DeviceKind::kMouse):
    case ToRaw(DeviceKind::kMousePad):
    case ToRaw(DeviceKind::kOtherHeadset):
    case ToRaw(DeviceKind::kHub):
    case ToRaw(DeviceKind::kMouseReceiver):
    case ToRaw(DeviceKind::kHeadset):
    case ToRaw(DeviceKind::kKeyboardReceiver):
      return static_cast<DeviceKind>(raw);
    default:
      return DeviceKind::kNone;
  }
}

/// True for the kinds reached through a receiver (6, 9).
[[nodiscard]] constexpr bool IsReceiverKind(DeviceKind kind) {
  return kind == DeviceKind::kMouseReceiver || kind == DeviceKind::kKeyboardReceiver;
}
/// True for the cable kinds that have a receiver partner (1, 2).
[[nodiscard]] constexpr bool IsCableKind(DeviceKind kind) {
  return kind == DeviceKind::kKeyboard || kind == DeviceKind::kMouse;
}
/// The keyboard over either connection (1, 9).
[[nodiscard]] constexpr bool IsKeyboardKind(DeviceKind kind) {
  return kind == DeviceKind::kKeyboard || kind == DeviceKind::kKeyboardReceiver;
}
/// The mouse over either connection (2, 6).
[[nodiscard]] constexpr bool IsMouseKind(DeviceKind kind) {
  return kind == DeviceKind::kMouse || kind == DeviceKind::kMouseReceiver;
}

}  // namespace zt640
