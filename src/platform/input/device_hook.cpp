#include "platform/input/device_hook.h"

#include <linux/input-event-codes.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/input/in_window_hook_backend.h"
#include "platform/input/input_node_source.h"
#include "platform/input/linux_key_map.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"

namespace zt640::platform::input {

namespace {

struct ButtonMessages {
  std::uint32_t down;
  std::uint32_t up;
  std::uint16_t mouse_data_high;
};

std::optional<ButtonMessages> MessagesOfButton(std::uint16_t code) {
  switch (code) {
    case BTN_LEFT: return ButtonMessages{kLeftButtonDown, kLeftButtonUp, 0};
    case BTN_RIGHT: return ButtonMessages{kRightButtonDown, kRightButtonUp, 0};
    case BTN_MIDDLE: return ButtonMessages{kMiddleButtonDown, kMiddleButtonUp, 0};
    case BTN_SIDE:
    case BTN_BACK: return ButtonMessages{kExtraButtonDown, kExtraButtonUp, kExtraButtonBack};
    case BTN_EXTRA:
    case BTN_FORWARD: return ButtonMessages{kExtraButtonDown, kExtraButtonUp, kExtraButtonForward};
    default: return std::nullopt;
  }
}

/// The record of the event being sent right now; null between sends.
std::atomic<const void*>& Delivering() {
  static std::atomic<const void*> record{nullptr};
  return record;
}

bool IsLockKey(std::uint32_t virtual_key) {
  return virtual_key == kVirtualKeyCapsLock || virtual_key == kVirtualKeyNumLock ||
         virtual_key == kVirtualKeyScrollLock;
}

/// One run of the hook: what it sends, and where. Fixed for the run's life, so the
/// event thread reads it without a lock.
class HookRun final : public HookEventSink {
 public:
  HookRun(HookMode mode, HookTarget target, bool keyboard, bool mouse)
      : mode_(mode),
        target_(target),
        keyboard_message_(keyboard ? Register(KeyboardMessageName(mode)) : 0),
        mouse_message_(mouse ? Register(MouseMessageName(mode)) : 0) {}

  KeyDisposition OnKey(const KeyInput& key) override {
    const std::optional<LinuxKey> known = LinuxKeyMap::FromLinuxCode(key.code);
    if (!known) return KeyDisposition::kSwallow;
    KeyHookRecord record{known->virtual_key, known->scan_code, known->extended, key.time_ms};
    const std::uint32_t id = key.value == kKeyReleased ? kKeyUpMessage : kKeyDownMessage;
    Deliver(keyboard_message_, id, &record);
    return IsLockKey(record.virtual_key) ? KeyDisposition::kPassOn : KeyDisposition::kSwallow;
  }

  void OnButton(const ButtonInput& button) override {
    const std::optional<ButtonMessages> messages = MessagesOfButton(button.code);
    if (!messages) return;
    MouseHookRecord record{button.x, button.y, messages->mouse_data_high, button.time_ms};
    Deliver(mouse_message_, button.press ? messages->down : messages->up, &record);
  }

  /// After this no message goes out; one already being handled finishes.
  void Silence() { silenced_ = true; }
  [[nodiscard]] HookMode Mode() const { return mode_; }
  [[nodiscard]] StopPump Pump() const {
    MessageQueue* queue = target_.queue;
    if (queue == nullptr || !queue->IsOwnerThread()) return {};
    return StopPump{queue->WakeFd(), [queue] { queue->Dispatch(); }};
  }

 private:
  static std::uint32_t Register(std::string_view name) { return name.empty() ? 0 : RegisterWindowMessage(name); }

  void Deliver(std::uint32_t message, std::uint32_t id, const void* record) {
    if (message == 0 || target_.queue == nullptr || silenced_) return;
    WindowMessage window_message;
    window_message.message = message;
    window_message.wparam = id;
    window_message.lparam = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(record));
    Delivering().store(record);
    (void)target_.queue->Send(std::move(window_message));  // a closed window just misses the event
    Delivering().store(nullptr);
  }

  const HookMode mode_;
  const HookTarget target_;
  const std::uint32_t keyboard_message_;
  const std::uint32_t mouse_message_;
  std::atomic<bool> silenced_{false};
};

struct HookState {
  std::mutex mutex;  // guards every member
  std::unique_ptr<HookRun> run;
  std::unique_ptr<HookBackend> backend;
  EvdevHookBackend* evdev = nullptr;  ///< the backend, when it is the system-wide one
  std::string last_error;
  InWindowEventSource* in_window = nullptr;
  std::shared_ptr<InputDeviceSource> device_source;
  EvdevHookBackend::InjectorFactory injector_factory;
};

/// Never destroyed: a hook still running when the process exits must not be joined
/// during static destruction (its window may be gone); the kernel closes its devices,
/// which releases every grab.
HookState& State() {
  static HookState* const state = new HookState;
  return *state;
}

std::string InputRoot() {
  const char* root = std::getenv("ZT640_INPUT_ROOT");
  return root != nullptr ? root : "/";
}

}  // namespace

CDeviceHook::~CDeviceHook() { Stop(); }

int CDeviceHook::Start(HookMode mode, HookTarget target, bool use_keyboard_hook, bool use_mouse_hook) {
  Stop();
  HookState& state = State();
  std::shared_ptr<InputDeviceSource> source;
  EvdevHookBackend::InjectorFactory injectors;
  InWindowEventSource* in_window = nullptr;
  {
    std::lock_guard lock(state.mutex);
    source = state.device_source ? state.device_source : std::make_shared<InputNodeSource>();
    injectors = state.injector_factory ? state.injector_factory
                                       : [] { return OpenUinputLockKeyInjector(InputRoot()); };
    in_window = state.in_window;
  }
  auto run = std::make_unique<HookRun>(mode, target, use_keyboard_hook, use_mouse_hook);
  std::unique_ptr<HookBackend> backend;
  EvdevHookBackend* evdev = nullptr;
  std::string error;
  if (use_keyboard_hook || use_mouse_hook) {
    auto system_wide = std::make_unique<EvdevHookBackend>(source, injectors);
    if (system_wide->Begin(run.get(), use_keyboard_hook, use_mouse_hook, &error)) {
      evdev = system_wide.get();
      backend = std::move(system_wide);
    } else {
      auto window = std::make_unique<InWindowHookBackend>(in_window);
      std::string window_error;
      if (!window->Begin(run.get(), use_keyboard_hook, use_mouse_hook, &window_error)) {
        std::lock_guard lock(state.mutex);
        state.last_error = in_window == nullptr ? error : error + "; " + window_error;
        return kNotStarted;
      }
      backend = std::move(window);
    }
  }
  std::lock_guard lock(state.mutex);
  state.run = std::move(run);
  state.backend = std::move(backend);
  state.evdev = evdev;
  state.last_error.clear();
  return kStarted;
}

void CDeviceHook::Stop() {
  HookState& state = State();
  std::unique_ptr<HookRun> run;
  std::unique_ptr<HookBackend> backend;
  {
    std::lock_guard lock(state.mutex);
    run = std::move(state.run);
    backend = std::move(state.backend);
    state.evdev = nullptr;
  }
  if (run == nullptr) return;
  run->Silence();
  if (backend != nullptr) backend->End(run->Pump());
}

bool CDeviceHook::IsRunning() {
  std::lock_guard lock(State().mutex);
  return State().run != nullptr;
}

HookMode CDeviceHook::CurrentMode() {
  std::lock_guard lock(State().mutex);
  return State().run != nullptr ? State().run->Mode() : HookMode::kNone;
}

bool CDeviceHook::IsSystemWide() {
  std::lock_guard lock(State().mutex);
  return State().evdev != nullptr;
}

std::string CDeviceHook::LastError() {
  std::lock_guard lock(State().mutex);
  return State().last_error;
}

std::size_t CDeviceHook::OpenInputDeviceCount() {
  std::lock_guard lock(State().mutex);
  return State().evdev != nullptr ? State().evdev->OpenDeviceCount() : 0;
}

void CDeviceHook::SetInWindowSource(InWindowEventSource* source) {
  std::lock_guard lock(State().mutex);
  State().in_window = source;
}

void CDeviceHook::SetInputDeviceSource(std::shared_ptr<InputDeviceSource> source) {
  std::lock_guard lock(State().mutex);
  State().device_source = std::move(source);
}

void CDeviceHook::SetLockKeyInjectorFactory(EvdevHookBackend::InjectorFactory factory) {
  std::lock_guard lock(State().mutex);
  State().injector_factory = std::move(factory);
}

bool CDeviceHook::IsDelivering(const void* record) { return record != nullptr && Delivering().load() == record; }

}  // namespace zt640::platform::input
