#pragma once

#include <cstdint>

#include "editors/hook_control.h"
#include "platform/input/device_hook.h"
#include "ui/in_window_hook_source.h"

namespace zt640 {

namespace platform {
class MessageQueue;
}

/// The main window's hook: `CDeviceHook`, which reads every keyboard and mouse when the
/// input event nodes can be read and otherwise this program's own windows (through the
/// window event source it owns), sending each event to the main window's queue.
class DeviceHookControl final : public HookControl {
 public:
  /// `queue` is the main window's message queue; it must outlive the hook.
  explicit DeviceHookControl(platform::MessageQueue& queue) : queue_(queue) {}
  ~DeviceHookControl() override { Stop(); }

  [[nodiscard]] int Start(platform::input::HookMode mode, bool keyboard, bool mouse) override;
  void Stop() override { hook_.Stop(); }
  [[nodiscard]] bool IsSystemWide() const override { return platform::input::CDeviceHook::IsSystemWide(); }
  [[nodiscard]] bool IsDelivering(std::int64_t lparam) const override;

 private:
  platform::MessageQueue& queue_;
  ui::InWindowHookSource window_source_;  ///< registered with the hook while this lives
  platform::input::CDeviceHook hook_;
};

}  // namespace zt640
