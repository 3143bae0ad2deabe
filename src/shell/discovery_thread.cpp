#include "shell/discovery_thread.h"

#include "platform/diag/debug_output.h"
#include "platform/hid/hid_root.h"
#include "platform/hid/hidraw_enumerator.h"
#include "platform/hid/hidraw_monitor.h"
#include "transport/device_path.h"

namespace zt640 {

DiscoveryThread::DiscoveryThread(SlotTable& table, Sink sink) : slots_(table), sink_(std::move(sink)) {}

bool DiscoveryThread::RunPass() {
  retry_pending_ = false;
  if (!slots_.AllSlotsTaken()) {
    if (probe_.EnumerateInterfaces() != HidDevice::kSuccess) return false;
    ClaimNewInterfaces();
    if (first_pass_) {
      first_pass_ = false;
      if (sink_.first_pass_done) sink_.first_pass_done();
    }
    probe_.FreeInterfaceList();
  }
  // Runs on every pass, also with every slot taken, so an unplug is always seen.
  CheckClaimedSlots();
  return true;
}

void DiscoveryThread::ClaimNewInterfaces() {
  while (const std::optional<std::string_view> listed = probe_.NextInterfacePath()) {
    InterfaceCandidate candidate;
    candidate.path = std::string(*listed);
    candidate.vendor_id = DevicePath::ParseVid(candidate.path);
    candidate.product_id = DevicePath::ParsePid(candidate.path);
    candidate.collection_number = DevicePath::ParseCollectionNumber(candidate.path);
    candidate.interface_number = DevicePath::ParseInterfaceNumber(candidate.path);
    if (!slots_.IsKnownAndFree(candidate)) continue;
    // A read-only, shared probe: the ids and the collection's usage come from the
    // interface itself, not from its path.
    if (probe_.Open(candidate.path, true, false, true, false) != HidDevice::kSuccess) {
      // Maybe not set up yet (access rights, a socket not listening yet): no
      // further event may come for it, so the loop looks again after a period.
      retry_pending_ = true;
      continue;
    }
    candidate.vendor_id = probe_.Attributes().vendor_id;
    candidate.product_id = probe_.Attributes().product_id;
    candidate.usage_page = probe_.Caps().usage_page;
    candidate.usage = probe_.Caps().usage;
    probe_.Close();
    if (const std::optional<std::size_t> slot = slots_.Claim(candidate)) {
      if (sink_.device_added) sink_.device_added(*slot);
    }
  }
}

void DiscoveryThread::CheckClaimedSlots() {
  for (const auto& [index, path] : slots_.ClaimedPaths()) {
    if (InterfacePresent(path)) continue;
    if (slots_.Release(index) && sink_.device_removed) sink_.device_removed(index);
  }
}

void DiscoveryThread::Run(const platform::Event& stop, std::shared_ptr<platform::PollableEvent> wake) {
  if (!wake) wake = std::make_shared<platform::PollableEvent>();
  // The stop event also wakes a loop blocked in poll().
  const platform::Event::WakerLink stop_link = stop.LinkWaker([wake] { wake->Set(); });
  platform::HidrawMonitor monitor(watched_root_.value_or(platform::HidRoot()));
  bool on_events = monitor.source() != platform::HidrawMonitor::Source::kNone;
  trigger_.store(static_cast<int>(on_events ? Trigger::kEvents : Trigger::kTimer));
  int retry_delay_ms = kFirstRetryMs;
  while (!stop.IsSet()) {
    if (!RunPass()) {
      platform::DebugOutput("抓取设备线程枚举失败");
      return;
    }
    if (!on_events) {
      // Waiting on the stop event instead of sleeping ends the loop at once on exit.
      if (stop.Wait(kPeriodMs)) break;
      continue;
    }
    // An interface that did not open is tried again soon, then less and less
    // often while nothing else happens: one that never opens must not keep the
    // process awake.
    if (!retry_pending_) retry_delay_ms = kFirstRetryMs;
    const int wait_ms = retry_pending_ && retry_delay_ms <= kLastRetryMs ? retry_delay_ms : -1;
    switch (monitor.Wait(*wake, wait_ms)) {
      case platform::HidrawMonitor::WaitResult::kWoken:
        (void)wake->Reset();  // set again by whoever wants the next pass
        retry_delay_ms = kFirstRetryMs;
        break;
      case platform::HidrawMonitor::WaitResult::kChanged:
        retry_delay_ms = kFirstRetryMs;
        break;
      case platform::HidrawMonitor::WaitResult::kTimedOut:
        retry_delay_ms *= 2;
        break;
      case platform::HidrawMonitor::WaitResult::kFailed:
        platform::DebugOutput("hidraw events lost: discovery falls back to its 100 ms pass");
        on_events = false;
        trigger_.store(static_cast<int>(Trigger::kTimer));
        break;
    }
  }
  platform::DebugOutput("抓取设备线程设定退出");
}

std::optional<DiscoveryThread::Trigger> DiscoveryThread::CurrentTrigger() const {
  const int trigger = trigger_.load();
  if (trigger < 0) return std::nullopt;
  return static_cast<Trigger>(trigger);
}

bool DiscoveryThread::InterfacePresent(const std::string& path) {
  std::string root;
  std::string name;
  if (!platform::HidrawEnumerator::SplitInterfacePath(path, &root, &name)) return false;
  const std::optional<platform::HidrawNode> node = platform::HidrawEnumerator::DescribeNode(root, name);
  if (!node) return false;
  // A node number reused by another device after an unplug is not the same interface.
  return node->vendor_id == DevicePath::ParseVid(path) && node->product_id == DevicePath::ParsePid(path) &&
         node->interface_number.value_or(0) == DevicePath::ParseInterfaceNumber(path);
}

}  // namespace zt640
