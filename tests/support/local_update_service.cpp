#include "support/local_update_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace zt640::test {

namespace {

constexpr std::size_t kMaxRequestBytes = 65536;
constexpr int kReadWaitMs = 5000;
constexpr int kStallLimitMs = 60000;

/// Waits until `fd` is readable; false on time-out or when the stop event fired first.
bool WaitReadable(int fd, int stop_event, int timeout_ms) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stop_event, POLLIN, 0}};
  if (poll(fds, 2, timeout_ms) <= 0) return false;
  return (fds[1].revents & POLLIN) == 0 && (fds[0].revents & (POLLIN | POLLHUP)) != 0;
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

std::string Reply(const std::string& path, const std::string& name, const std::string& version,
                  const std::string& version_name, int device_id) {
  return "{\"device_id\":" + std::to_string(device_id) + ",\"name\":\"" + name + "\",\"path\":\"" + path +
         "\",\"version\":\"" + version + "\",\"version_name\":\"" + version_name + "\"}";
}

}  // namespace

std::string FormValue(const std::string& body, const std::string& name) {
  std::size_t at = 0;
  while (at <= body.size()) {
    std::size_t end = body.find('&', at);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(at, end - at);
    if (pair.compare(0, name.size() + 1, name + "=") == 0) return pair.substr(name.size() + 1);
    at = end + 1;
  }
  return {};
}

LocalUpdateService::LocalUpdateService() {
  listener_.Reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  stop_event_.Reset(eventfd(0, EFD_CLOEXEC));
  if (!listener_.valid() || !stop_event_.valid()) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_.get(), 8) != 0 ||
      getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LocalUpdateService::~LocalUpdateService() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  if (stop_event_.valid()) {
    const uint64_t one = 1;
    (void)!write(stop_event_.get(), &one, sizeof one);
  }
  if (thread_.joinable()) thread_.join();
}

std::string LocalUpdateService::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/api/";
}

void LocalUpdateService::SetReply(ServiceReply reply) {
  const std::lock_guard lock(mutex_);
  reply_ = reply;
}

void LocalUpdateService::SetReplyFor(const std::string& app_key, ServiceReply reply) {
  const std::lock_guard lock(mutex_);
  replies_by_key_[app_key] = reply;
}

void LocalUpdateService::SetFixedBody(std::string body) {
  const std::lock_guard lock(mutex_);
  fixed_body_ = std::move(body);
}

void LocalUpdateService::ServeFile(const std::string& target, ServedFile file) {
  const std::lock_guard lock(mutex_);
  files_[target] = std::move(file);
}

std::string LocalUpdateService::FileUrl(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<ServiceRequest> LocalUpdateService::Requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

void LocalUpdateService::Serve() {
  while (WaitReadable(listener_.get(), stop_event_.get(), -1)) {
    const platform::UniqueFd connection(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (connection.valid()) Answer(connection.get());
  }
}

bool LocalUpdateService::ReadRequest(int connection, ServiceRequest& request) const {
  std::string bytes;
  std::size_t header_end = std::string::npos;
  std::size_t content_length = 0;
  char buffer[4096];
  while (true) {
    if (header_end == std::string::npos) {
      header_end = bytes.find("\r\n\r\n");
      if (header_end != std::string::npos) {
        std::size_t line_end = bytes.find("\r\n");
        const std::string request_line = bytes.substr(0, line_end);
        const std::size_t space = request_line.find(' ');
        const std::size_t second = request_line.find(' ', space + 1);
        if (space == std::string::npos || second == std::string::npos) return false;
        request.method = request_line.substr(0, space);
        request.target = request_line.substr(space + 1, second - space - 1);
        while (line_end < header_end) {
          const std::size_t next = bytes.find("\r\n", line_end + 2);
          const std::string line = bytes.substr(line_end + 2, next - line_end - 2);
          const std::size_t colon = line.find(':');
          if (colon != std::string::npos) request.headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
          line_end = next;
        }
        const auto length = request.headers.find("content-length");
        if (length != request.headers.end()) content_length = std::strtoul(length->second.c_str(), nullptr, 10);
        if (content_length > kMaxRequestBytes) return false;
      }
    }
    if (header_end != std::string::npos && bytes.size() >= header_end + 4 + content_length) {
      request.body = bytes.substr(header_end + 4, content_length);
      return true;
    }
    if (bytes.size() > kMaxRequestBytes || !WaitReadable(connection, stop_event_.get(), kReadWaitMs)) return false;
    const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string LocalUpdateService::ReplyBody(const ServiceRequest& request) {
  ServiceReply kind;
  std::string fixed;
  {
    const std::lock_guard lock(mutex_);
    const auto own = replies_by_key_.find(FormValue(request.body, "app_key"));
    kind = own != replies_by_key_.end() ? own->second : reply_;
    fixed = fixed_body_;
  }
  switch (kind) {
    case ServiceReply::kUpToDate:
      return Reply("", "", FormValue(request.body, "version"), "", 0);
    case ServiceReply::kNewerFirmware:
      return Reply("https://downloads.zt640.invalid/firmware/K640_0106.bin", "K640 firmware", "0106",
                   "K640 firmware V0106", 2);
    case ServiceReply::kNewerApplication:
      return Reply("https://downloads.zt640.invalid/app/zt640_1.0.3.deb", "zt640", "103", "V1.0.3", 0);
    case ServiceReply::kMalformed:
      return "<html><body>502 Bad Gateway</body></html>";
    case ServiceReply::kOversized:
      return Reply("https://downloads.zt640.invalid/firmware/K640_0106.bin", std::string(150000, 'x'), "0106",
                   "K640 firmware V0106", 2);
    case ServiceReply::kSlow:
      WaitForStop(std::chrono::minutes(1));
      return Reply("", "", FormValue(request.body, "version"), "", 0);
    case ServiceReply::kInsecurePath:
      return Reply("http://downloads.zt640.invalid/firmware/K640_0106.bin", "K640 firmware", "0106",
                   "K640 firmware V0106", 2);
    case ServiceReply::kWrongTypes:
      return R"({"device_id":2,"name":["K640"],"path":"","version":262,"version_name":"V0106"})";
    case ServiceReply::kFixedBody:
      return fixed;
  }
  return {};
}

void LocalUpdateService::WaitForStop(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  stopped_.wait_for(lock, limit, [this] { return stopping_; });
}

bool LocalUpdateService::AnswerFile(int connection, const ServiceRequest& request) {
  ServedFile file;
  {
    const std::lock_guard lock(mutex_);
    const auto served = files_.find(request.target);
    if (request.method != "GET" || served == files_.end()) return false;
    file = served->second;
  }
  if (file.status != 200) {
    const std::string page = "<html><body>error</body></html>";
    (void)SendAll(connection, "HTTP/1.1 " + std::to_string(file.status) +
                                  " Error\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) +
                                  "\r\nConnection: close\r\n\r\n" + page);
    return true;
  }
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                           std::to_string(file.bytes.size()) + "\r\nConnection: close\r\n\r\n";
  if (!file.stall) {
    (void)SendAll(connection, head + file.bytes);
    return true;
  }
  (void)SendAll(connection, head + file.bytes.substr(0, file.bytes.size() / 2));
  // Until the client gives up (its end closes) or the service stops.
  (void)WaitReadable(connection, stop_event_.get(), kStallLimitMs);
  return true;
}

void LocalUpdateService::Answer(int connection) {
  ServiceRequest request;
  if (!ReadRequest(connection, request)) return;
  {
    const std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  if (AnswerFile(connection, request)) return;
  const std::string body = ReplyBody(request);
  // A client that gave up (time-out, oversized reply) has closed its end; nothing to do then.
  (void)SendAll(connection, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

}  // namespace zt640::test
