#pragma once

#include "platform/input/hook_backend.h"
#include "platform/input/in_window_event_source.h"

namespace zt640::platform::input {

/// Capture limited to the program's own window, through an `InWindowEventSource`.
class InWindowHookBackend final : public HookBackend {
 public:
  explicit InWindowHookBackend(InWindowEventSource* source) : source_(source) {}
  ~InWindowHookBackend() override { End({}); }

  [[nodiscard]] bool Begin(HookEventSink* sink, bool keyboard, bool mouse, std::string* error) override;
  void End(const StopPump& pump) override;
  [[nodiscard]] bool IsSystemWide() const override { return false; }

 private:
  InWindowEventSource* source_;
  bool attached_ = false;
};

}  // namespace zt640::platform::input
