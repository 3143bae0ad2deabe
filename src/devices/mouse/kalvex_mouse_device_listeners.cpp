#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/mouse/mouse_effect_renderer.h"

namespace zt640 {

bool CKalvexMouseDevice::AttachSecondaryInterface(DeviceKind kind, const std::string& path) {
  return StartListener(kind == kListenerReceiver ? kListenerReceiver : kListenerCable, path);
}

void CKalvexMouseDevice::DetachSecondaryInterface(DeviceKind kind) {
  // A listener that does not end in time is detached and logged by its worker.
  (void)StopListener(kind == kListenerReceiver ? kListenerReceiver : kListenerCable);
}

bool CKalvexMouseDevice::SecondaryInterfaceAttached(DeviceKind kind) const {
  return (kind == kListenerReceiver ? receiver_listener_ : cable_listener_).IsOpen();
}

bool CKalvexMouseDevice::StartListener(DeviceKind listener_kind, const std::string& path) {
  const bool wired = listener_kind != kListenerReceiver;
  ReportListener& listener = wired ? cable_listener_ : receiver_listener_;
  return listener.Start(path, [inbox = inbox_, core = Core(), wired](uint32_t usage) {
    // Reports are 16-bit values; anything wider is none of the mouse's.
    if (usage > 0xFFFF) return;
    // A press goes straight to the lighting, as a key press does on the keyboard;
    // the owner still hears of it.
    const auto decoded = DecodeMouseReport(static_cast<uint16_t>(usage), wired);
    const bool reactive = decoded && decoded->kind == MouseReport::Kind::kReactive;
    if (reactive) StartReactive(*core);
    std::function<void()> notify;
    {
      std::lock_guard lock(inbox->mutex);
      inbox->reports.push_back({static_cast<uint16_t>(usage), wired, reactive});
      notify = inbox->notify;
    }
    if (notify) notify();
  });
}

WorkerThread::StopOutcome CKalvexMouseDevice::StopListener(DeviceKind listener_kind) {
  return (listener_kind == kListenerReceiver ? receiver_listener_ : cable_listener_).Stop();
}

void CKalvexMouseDevice::SetListenerNotify(std::function<void()> notify) {
  std::lock_guard lock(inbox_->mutex);
  inbox_->notify = std::move(notify);
}

std::vector<MouseReport> CKalvexMouseDevice::ProcessListenerEvents() {
  std::deque<ListenerInbox::Queued> queued;
  {
    std::lock_guard lock(inbox_->mutex);
    queued.swap(inbox_->reports);
  }
  std::vector<MouseReport> applied;
  for (const ListenerInbox::Queued& report : queued) {
    if (report.applied) {
      if (auto decoded = DecodeMouseReport(report.value, report.wired)) applied.push_back(*decoded);
      continue;
    }
    if (auto handled = HandleReport(report.value, report.wired)) applied.push_back(*handled);
  }
  return applied;
}

}  // namespace zt640
