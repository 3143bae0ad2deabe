#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/input/evdev_hook_backend.h"
#include "platform/input/hook_records.h"
#include "platform/input/hook_target.h"
#include "platform/input/in_window_event_source.h"
#include "platform/input/input_device.h"

namespace zt640::platform::input {

/// The keyboard and mouse hook. Its state is one set per process, shared by every
/// `CDeviceHook` object: starting through one object replaces the hook another started,
/// and stopping or destroying any of them stops it.
///
/// While a hook runs, every key press and release becomes the mode's keyboard message
/// (`KeyboardMessageName`, registered by name) and every mouse button press and release
/// the mode's mouse message (`MouseMessageName`), sent synchronously to the target:
/// wparam the message id of hook_records.h, lparam the address of a `KeyHookRecord` or
/// `MouseHookRecord` that lives until the send returns. A key held down repeats its
/// press. Keys outside the key table are not reported. The system-wide back end cannot
/// know where the cursor is: its mouse records carry `kUnknownCursorPosition` (the
/// window asks its toolkit for the cursor position instead, which is still where the
/// click happened, since the send is synchronous). A mode without a message name
/// sends nothing, but the keyboard is taken all the same.
///
/// Back end, chosen at `Start`: the input event nodes when they can be read (system-wide;
/// keyboards are grabbed, so other programs get no keyboard input, except Caps Lock, Num
/// Lock and Scroll Lock, which are handed back to the system), else the program's own
/// window through the registered `InWindowEventSource`.
///
/// `Start` and `Stop` belong on the target window's thread; `Stop` keeps running that
/// window's messages while it waits for the event thread to finish.
class CDeviceHook {
 public:
  /// Results of Start.
  static constexpr int kStarted = 1;
  static constexpr int kNotStarted = 0;

  CDeviceHook() = default;
  ~CDeviceHook();
  CDeviceHook(const CDeviceHook&) = delete;
  CDeviceHook& operator=(const CDeviceHook&) = delete;

  /// Stops a running hook, then captures for `mode`, sending to `target`: the keyboard
  /// when `use_keyboard_hook`, the mouse buttons when `use_mouse_hook`. Returns kStarted, or
  /// kNotStarted when nothing could capture what was asked for (`LastError` says why).
  [[nodiscard]] int Start(HookMode mode, HookTarget target, bool use_keyboard_hook, bool use_mouse_hook);
  /// Stops capturing and gives every device back. Harmless when nothing runs.
  void Stop();

  [[nodiscard]] static bool IsRunning();
  [[nodiscard]] static HookMode CurrentMode();
  /// True while a system-wide back end runs; false while only the program's window is
  /// watched (the macro panel then says that recording sees only keys typed into it) and
  /// when no hook runs.
  [[nodiscard]] static bool IsSystemWide();
  /// Why the last `Start` returned 0.
  [[nodiscard]] static std::string LastError();
  /// True only while the hook is sending the event whose record `record` points to.
  /// Hook messages are registered names that any local process may send with any
  /// parameter: a window follows a record pointer only when this vouches for it.
  [[nodiscard]] static bool IsDelivering(const void* record);
  /// Input devices the running system-wide hook still reads (0 when every one vanished).
  [[nodiscard]] static std::size_t OpenInputDeviceCount();

  /// The window event source of the in-window back end; null removes it. The owner
  /// removes it before destroying it.
  static void SetInWindowSource(InWindowEventSource* source);
  /// Where the system-wide back end finds its devices; null restores the input event
  /// nodes (`InputNodeSource`).
  static void SetInputDeviceSource(std::shared_ptr<InputDeviceSource> source);
  /// How the lock keys are handed back; null restores the uinput virtual keyboard.
  static void SetLockKeyInjectorFactory(EvdevHookBackend::InjectorFactory factory);
};

}  // namespace zt640::platform::input
