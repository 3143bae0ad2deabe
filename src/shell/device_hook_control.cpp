#include "shell/device_hook_control.h"

#include "platform/diag/debug_output.h"
#include "platform/input/hook_target.h"

namespace zt640 {

int DeviceHookControl::Start(platform::input::HookMode mode, bool keyboard, bool mouse) {
  const int started = hook_.Start(mode, platform::input::HookTarget{&queue_}, keyboard, mouse);
  if (started != platform::input::CDeviceHook::kStarted) platform::DebugOutput("hook did not start: " + platform::input::CDeviceHook::LastError());
  return started;
}

bool DeviceHookControl::IsDelivering(std::int64_t lparam) const {
  return platform::input::CDeviceHook::IsDelivering(reinterpret_cast<const void*>(static_cast<std::intptr_t>(lparam)));
}

}  // namespace zt640
