#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/hid/pollable_event.h"
#include "platform/input/hook_backend.h"
#include "platform/input/input_device.h"
#include "platform/input/lock_key_injector.h"

namespace zt640::platform::input {

/// System-wide capture from the input event nodes. `Begin` opens every keyboard (when
/// the keyboard hook is asked for) and every mouse (for the mouse hook). Keyboards are
/// grabbed, so no other program receives keyboard input while the hook runs; mice are
/// only watched, as the mouse hook of the design watches and the user still needs the
/// mouse to stop a recording. One reader thread turns events into sink calls: key press,
/// release and auto-repeat (reported as another press), and mouse button press and
/// release. The cursor position on the screen is unknown here: buttons carry
/// `kUnknownCursorPosition`.
///
/// Every grab is released when `End` runs, when the back end is destroyed, when a
/// device vanishes or cannot be read (that device alone is dropped), and when the
/// reader fails in any way; a process that dies has its nodes closed by the kernel,
/// which releases the grab too.
class EvdevHookBackend final : public HookBackend {
 public:
  using InjectorFactory = std::function<std::unique_ptr<LockKeyInjector>()>;

  EvdevHookBackend(std::shared_ptr<InputDeviceSource> source, InjectorFactory injectors);
  ~EvdevHookBackend() override;
  EvdevHookBackend(const EvdevHookBackend&) = delete;
  EvdevHookBackend& operator=(const EvdevHookBackend&) = delete;

  [[nodiscard]] bool Begin(HookEventSink* sink, bool keyboard, bool mouse, std::string* error) override;
  void End(const StopPump& pump) override;
  [[nodiscard]] bool IsSystemWide() const override { return true; }

  /// Devices still being read; 0 once every device vanished or the back end stopped.
  [[nodiscard]] std::size_t OpenDeviceCount() const { return open_count_.load(); }

 private:
  struct OpenDevice {
    std::unique_ptr<InputDevice> device;
    bool grabbed = false;
  };

  void Run();
  /// Reads what `device` has; false when it is gone.
  bool Drain(OpenDevice& device);
  void Handle(const input_event& event, std::uint32_t time_ms, const OpenDevice& device);
  void Release(OpenDevice& device);

  std::shared_ptr<InputDeviceSource> source_;
  InjectorFactory injectors_;

  // Set by Begin before the reader starts; the reader alone uses them until End joined it.
  HookEventSink* sink_ = nullptr;
  bool keyboard_ = false;
  bool mouse_ = false;
  std::vector<OpenDevice> devices_;
  std::unique_ptr<LockKeyInjector> injector_;

  std::atomic<std::size_t> open_count_{0};
  std::atomic<bool> stopping_{false};
  PollableEvent stop_;
  PollableEvent finished_;
  std::thread reader_;
};

}  // namespace zt640::platform::input
