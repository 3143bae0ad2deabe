#include "devices/report_listener.h"

#include <vector>

#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

constexpr int kReadFailurePauseMs = 100;

}  // namespace

std::optional<uint32_t> FirstInputUsage(HidDevice& hid, std::span<const uint8_t> report) {
  auto& items = hid.Items(HidReportType::kInput);
  if (items.empty() || report.empty()) return std::nullopt;
  if (HidDevice::UnpackReport(report.data(), static_cast<uint32_t>(report.size()), HidReportType::kInput,
                              items.data(), static_cast<uint32_t>(items.size()),
                              hid.DescriptorData()) != HidDevice::kSuccess) {
    return std::nullopt;
  }
  const HidDataItem& first = items.front();
  if (first.report_id != report[0] && first.report_id != 0) return std::nullopt;
  if (first.is_button != 0) {
    if (first.usages.empty() || first.usages.front() == 0) return std::nullopt;
    return first.usages.front();
  }
  return first.value;
}

ReportListener::ReportListener(std::string name) : name_(std::move(name)), shared_(std::make_shared<Shared>()) {}

ReportListener::~ReportListener() { Stop(); }

bool ReportListener::Start(const std::string& path, Handler handler) {
  Stop();
  {
    std::lock_guard lock(shared_->lock);
    shared_->hid.Close();
    shared_->open = shared_->hid.Open(path, true, true, true, false) == HidDevice::kSuccess;
    if (!shared_->open) return false;
  }
  thread_.Start(
      name_, [shared = shared_, handler = std::move(handler)](const platform::Event& stop) {
        Run(shared, handler, stop);
      },
      kStopWait);
  return true;
}

void ReportListener::Run(const std::shared_ptr<Shared>& shared, const Handler& handler,
                         const platform::Event& stop) {
  std::vector<uint8_t> report;
  uint32_t length = 0;
  {
    std::lock_guard lock(shared->lock);
    length = shared->hid.Caps().input_report_byte_length;
  }
  int pause_ms = 1;
  while (!stop.Wait(pause_ms)) {
    pause_ms = 1;
    if (length == 0) {
      pause_ms = kReadFailurePauseMs;
      continue;
    }
    report.assign(length, 0);
    uint32_t read = 0;
    // The read runs without the lock; Close from Stop cuts it short.
    if (shared->hid.ReadReport(report.data(), length, &read, -1) != HidDevice::kSuccess || read == 0) {
      // Closed, cancelled or unplugged: do not spin on a dead interface.
      pause_ms = kReadFailurePauseMs;
      continue;
    }
    std::optional<uint32_t> usage;
    {
      // Unpacking uses the descriptor data that Close releases.
      std::lock_guard lock(shared->lock);
      if (!shared->open) continue;
      usage = FirstInputUsage(shared->hid, std::span<const uint8_t>(report.data(), read));
    }
    if (!usage) continue;
    platform::DebugOutput("接收到自动添加设备的同步信息要求  TEST");
    handler(*usage);
  }
  platform::DebugOutput("MS 设备同步线程设定退出");
}

WorkerThread::StopOutcome ReportListener::Stop() {
  {
    std::lock_guard lock(shared_->lock);
    if (!shared_->open && !thread_.Running()) return WorkerThread::StopOutcome::kNotRunning;
  }
  // The read has no time-out: closing the interface first cuts it short so the
  // thread sees its stop event within the wait.
  {
    std::lock_guard lock(shared_->lock);
    shared_->open = false;
    shared_->hid.Close();
  }
  return thread_.Stop(kStopWait);
}

bool ReportListener::IsOpen() const {
  std::lock_guard lock(shared_->lock);
  return shared_->open;
}

}  // namespace zt640
