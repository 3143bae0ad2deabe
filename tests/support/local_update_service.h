#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/unique_fd.h"

namespace zt640::test {

/// The kinds of answer the local update service gives.
enum class ServiceReply {
  kUpToDate,          ///< echoes the request's "version", so the target is current
  kNewerFirmware,     ///< firmware "version" 0106 with a download path
  kNewerApplication,  ///< application "version" 103, "version_name" "V1.0.3"
  kMalformed,         ///< a body that is no JSON
  kOversized,         ///< valid JSON of more than 102400 bytes
  kSlow,              ///< answers only when the service stops (or after a minute)
  kInsecurePath,      ///< newer firmware with a plain http download path
  kWrongTypes,        ///< "version" a number, "name" a list
  kFixedBody,         ///< exactly the body given to SetFixedBody
};

/// One request as the service received it.
struct ServiceRequest {
  std::string method;
  std::string target;                          ///< the request path, e.g. "/api/updates"
  std::map<std::string, std::string> headers;  ///< names in lower case, values as sent
  std::string body;
};

/// A file the service hands out for a GET of its path.
struct ServedFile {
  std::string bytes;
  bool stall = false;  ///< sends the headers and the first half, then nothing until the service stops
  int status = 200;    ///< another status sends an error page instead of the bytes
};

/// A small HTTP update service on 127.0.0.1 (an ephemeral port) for tests: one
/// thread accepts and answers one connection at a time with the configured
/// kind of reply, and logs every request. Stopped and joined on destruction.
class LocalUpdateService {
 public:
  LocalUpdateService();
  ~LocalUpdateService();
  LocalUpdateService(const LocalUpdateService&) = delete;
  LocalUpdateService& operator=(const LocalUpdateService&) = delete;

  [[nodiscard]] bool started() const { return thread_.joinable(); }
  [[nodiscard]] uint16_t port() const { return port_; }
  /// "http://127.0.0.1:PORT/api/".
  [[nodiscard]] std::string BaseUrl() const;

  /// The reply for every request whose "app_key" has no reply of its own.
  void SetReply(ServiceReply reply);
  void SetReplyFor(const std::string& app_key, ServiceReply reply);
  void SetFixedBody(std::string body);
  /// Serves `file` for a GET of `target` (e.g. "/files/K640_0106.bin").
  void ServeFile(const std::string& target, ServedFile file);
  /// The address of `target` on this service.
  [[nodiscard]] std::string FileUrl(const std::string& target) const;

  [[nodiscard]] std::vector<ServiceRequest> Requests() const;

 private:
  void Serve();
  void Answer(int connection);
  [[nodiscard]] bool ReadRequest(int connection, ServiceRequest& request) const;
  [[nodiscard]] std::string ReplyBody(const ServiceRequest& request);
  /// Answers a GET of a served file; false when `request` names none.
  [[nodiscard]] bool AnswerFile(int connection, const ServiceRequest& request);
  /// Waits until the service stops or `limit` passes.
  void WaitForStop(std::chrono::milliseconds limit);

  platform::UniqueFd listener_;
  platform::UniqueFd stop_event_;  ///< eventfd, readable once the service stops
  uint16_t port_ = 0;
  std::thread thread_;

  mutable std::mutex mutex_;  ///< guards everything below
  std::condition_variable stopped_;
  bool stopping_ = false;
  ServiceReply reply_ = ServiceReply::kUpToDate;
  std::map<std::string, ServiceReply> replies_by_key_;
  std::string fixed_body_;
  std::vector<ServiceRequest> requests_;
  std::map<std::string, ServedFile> files_;
};

/// The value of `name` in a form-encoded body ("" when absent).
[[nodiscard]] std::string FormValue(const std::string& body, const std::string& name);

}  // namespace zt640::test
