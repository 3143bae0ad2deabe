#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "devices/worker_thread.h"
#include "transport/hid_device.h"

namespace zt640 {

/// The first usage of the first input item of a report unpacked with the
/// interface's descriptor; nullopt when it does not unpack or carries none.
[[nodiscard]] std::optional<uint32_t> FirstInputUsage(HidDevice& hid, std::span<const uint8_t> report);

/// One listener thread on an interface that carries the reports a device
/// sends on its own. It blocks in a read without time-out and hands the first
/// usage of each report to the handler on its own thread; Stop closes the
/// interface to cut that read short.
class ReportListener {
 public:
  using Handler = std::function<void(uint32_t usage)>;
  static constexpr std::chrono::milliseconds kStopWait{500};

  explicit ReportListener(std::string name);
  ~ReportListener();
  ReportListener(const ReportListener&) = delete;
  ReportListener& operator=(const ReportListener&) = delete;

  /// Closes and reopens the interface at `path`, then starts the thread.
  /// False when the interface cannot be opened.
  [[nodiscard]] bool Start(const std::string& path, Handler handler);
  /// When open: stops the thread (cutting its read short) and closes the interface.
  WorkerThread::StopOutcome Stop();
  [[nodiscard]] bool IsOpen() const;

 private:
  struct Shared {
    std::mutex lock;  ///< held for open and close of hid
    HidDevice hid;
    bool open = false;  ///< guarded by lock
  };

  static void Run(const std::shared_ptr<Shared>& shared, const Handler& handler, const platform::Event& stop);

  std::string name_;
  std::shared_ptr<Shared> shared_;
  WorkerThread thread_;
};

}  // namespace zt640
