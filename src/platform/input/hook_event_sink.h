#pragma once

#include <cstdint>
#include <limits>

namespace zt640::platform::input {

/// A key event as a back end sees it, by Linux key code.
struct KeyInput {
  std::uint16_t code = 0;     ///< Linux key code (KEY_*)
  std::int32_t value = 0;     ///< kKeyReleased, kKeyPressed or kKeyRepeated
  std::uint32_t time_ms = 0;  ///< tick count of the event
};

inline constexpr std::int32_t kKeyReleased = 0;
inline constexpr std::int32_t kKeyPressed = 1;
inline constexpr std::int32_t kKeyRepeated = 2;

/// The cursor position of a button event that the back end cannot know (the input
/// event nodes report motion, not where the cursor is on the screen). It lies in no
/// window, so a test "inside this control" is false for it.
inline constexpr std::int32_t kUnknownCursorPosition = std::numeric_limits<std::int32_t>::min();

/// A mouse button event as a back end sees it.
struct ButtonInput {
  std::uint16_t code = 0;  ///< Linux button code (BTN_LEFT ...)
  bool press = false;
  std::int32_t x = kUnknownCursorPosition;  ///< cursor position on the screen, when known
  std::int32_t y = kUnknownCursorPosition;
  std::uint32_t time_ms = 0;
};

/// What the hook wants done with a key after it was reported.
enum class KeyDisposition {
  kSwallow,  ///< no other program sees the key
  kPassOn,   ///< the system must still see it (the lock keys)
};

/// Where back ends hand their events; called on the back end's own thread, one event
/// at a time.
class HookEventSink {
 public:
  virtual ~HookEventSink() = default;
  [[nodiscard]] virtual KeyDisposition OnKey(const KeyInput& key) = 0;
  virtual void OnButton(const ButtonInput& button) = 0;
};

}  // namespace zt640::platform::input
