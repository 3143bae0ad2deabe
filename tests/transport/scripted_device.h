#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zt640::test {

using Report = std::vector<uint8_t>;

/// A one-interface vendor device (report id 4, 64-byte input and output
/// reports) behind a socket node in a temporary HID root, answering each
/// request with whatever its responder returns. Sets ZT640_HID_ROOT for the
/// lifetime of the object.
class ScriptedDevice {
 public:
  /// Returns the reports to send back for one request (none: stay silent).
  using Responder = std::function<std::vector<Report>(const Report& request)>;

  /// `descriptor` replaces the vendor collection's report descriptor (an
  /// interface that only sends reports of its own, say).
  explicit ScriptedDevice(Responder responder, std::vector<uint8_t> descriptor = {});
  ~ScriptedDevice();
  ScriptedDevice(const ScriptedDevice&) = delete;
  ScriptedDevice& operator=(const ScriptedDevice&) = delete;

  /// The interface path HidDevice opens.
  [[nodiscard]] std::string path() const { return path_; }
  /// Every request received so far, in order.
  [[nodiscard]] std::vector<Report> requests() const;
  /// Sends an unsolicited input report to every client.
  void Send(const Report& report);
  /// Drops every client connection, as an unplugged device does.
  void DropClients();

  /// A reply that echoes the request's command with the given status and data.
  [[nodiscard]] static Report Echo(const Report& request, uint8_t status = 0,
                                   const std::vector<uint8_t>& data = {});

 private:
  void Serve();

  Responder responder_;
  std::string root_;
  std::string path_;
  int listen_fd_ = -1;
  int wake_fd_ = -1;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;  ///< guards clients_ and requests_
  std::vector<int> clients_;
  std::vector<Report> requests_;
  std::thread thread_;
};

}  // namespace zt640::test
