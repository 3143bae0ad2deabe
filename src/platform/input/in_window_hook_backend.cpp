#include "platform/input/in_window_hook_backend.h"

namespace zt640::platform::input {

bool InWindowHookBackend::Begin(HookEventSink* sink, bool keyboard, bool mouse, std::string* error) {
  End({});
  if (source_ == nullptr || sink == nullptr) {
    if (error != nullptr) *error = "no window to capture keys from";
    return false;
  }
  source_->Attach(sink, keyboard, mouse);
  attached_ = true;
  return true;
}

void InWindowHookBackend::End(const StopPump&) {
  if (!attached_) return;
  source_->Detach();
  attached_ = false;
}

}  // namespace zt640::platform::input
