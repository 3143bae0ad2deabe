#include "platform/hid/hidraw_handle.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace zt640::platform {

namespace {

using Clock = std::chrono::steady_clock;

int ConnectSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool IsGoneError(int error) {
  return error == EIO || error == ENODEV || error == ECONNRESET || error == EPIPE ||
         error == ENOTCONN || error == ESHUTDOWN;
}

// Time left until deadline for poll(): -1 without a limit, never negative otherwise.
int RemainingMs(int timeout_ms, Clock::time_point deadline) {
  if (timeout_ms < 0) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// Waits until fd is ready for events, cancel_fd is signalled or time runs out.
HidIoResult WaitReady(int fd, short events, int cancel_fd, int timeout_ms,
                      Clock::time_point deadline) {
  while (true) {
    pollfd fds[2] = {{cancel_fd, POLLIN, 0}, {fd, events, 0}};
    const int ready = ::poll(fds, 2, RemainingMs(timeout_ms, deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return HidIoResult::kFailed;
    }
    if (fds[0].revents & POLLIN) return HidIoResult::kCancelled;
    if (ready == 0) return HidIoResult::kTimeout;
    if (fds[1].revents & events) return HidIoResult::kOk;
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return HidIoResult::kDeviceGone;
  }
}

}  // namespace

std::unique_ptr<HidrawHandle> HidrawHandle::Open(const std::string& node_path, bool read,
                                                 bool write, const HidCollection& collection) {
  struct stat info {};
  if (::stat(node_path.c_str(), &info) != 0) return nullptr;
  int fd = -1;
  if (read || write) {
    if (S_ISSOCK(info.st_mode)) {
      fd = ConnectSocket(node_path);
    } else if (S_ISCHR(info.st_mode)) {
      const int access = read && write ? O_RDWR : (read ? O_RDONLY : O_WRONLY);
      fd = ::open(node_path.c_str(), access | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) return nullptr;
  } else if (!S_ISSOCK(info.st_mode) && !S_ISCHR(info.st_mode)) {
    return nullptr;
  }
  return std::unique_ptr<HidrawHandle>(new HidrawHandle(fd, read, write, collection));
}

HidrawHandle::HidrawHandle(int fd, bool read, bool write, const HidCollection& collection)
    : fd_(fd),
      can_read_(read),
      can_write_(write),
      numbered_reports_(collection.numbered_reports),
      input_length_(collection.caps.input_report_byte_length),
      output_length_(collection.caps.output_report_byte_length),
      scratch_(HidCollection::kMaxReportBytes + 1) {
  for (int id = 0; id < 256; ++id) {
    const auto report_id = static_cast<uint8_t>(id);
    input_length_by_id_[id] = collection.ReportByteLength(HidReportType::kInput, report_id);
    output_length_by_id_[id] = collection.ReportByteLength(HidReportType::kOutput, report_id);
  }
}

HidrawHandle::~HidrawHandle() {
  if (fd_ >= 0) ::close(fd_);
}

HidIoResult HidrawHandle::Read(uint8_t* buffer, uint32_t length, uint32_t* bytes_read,
                               int timeout_ms, int cancel_fd) {
  *bytes_read = 0;
  if (fd_ < 0 || !can_read_ || input_length_ == 0 || length < input_length_) {
    return HidIoResult::kFailed;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
  // Reports of an unnumbered device arrive without the id byte: read them
  // one byte in so that byte 0 reads 0.
  const size_t offset = numbered_reports_ ? 0 : 1;
  while (true) {
    const HidIoResult ready = WaitReady(fd_, POLLIN, cancel_fd, timeout_ms, deadline);
    if (ready != HidIoResult::kOk) return ready;
    const ssize_t n = ::read(fd_, scratch_.data() + offset, scratch_.size() - offset);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return IsGoneError(errno) ? HidIoResult::kDeviceGone : HidIoResult::kFailed;
    }
    if (n == 0) return HidIoResult::kDeviceGone;
    scratch_[0] = numbered_reports_ ? scratch_[0] : 0;
    const size_t total = static_cast<size_t>(n) + offset;
    if (input_length_by_id_[scratch_[0]] == 0) {
      // Another collection's report: skip it, but never past the time-out.
      if (timeout_ms >= 0 && Clock::now() >= deadline) return HidIoResult::kTimeout;
      continue;
    }
    const size_t copied = std::min<size_t>(total, length);
    std::memcpy(buffer, scratch_.data(), copied);
    if (copied < input_length_) std::memset(buffer + copied, 0, input_length_ - copied);
    *bytes_read = static_cast<uint32_t>(std::max<size_t>(copied, input_length_));
    return HidIoResult::kOk;
  }
}

HidIoResult HidrawHandle::Write(const uint8_t* buffer, uint32_t length, uint32_t* bytes_written,
                                int timeout_ms, int cancel_fd) {
  *bytes_written = 0;
  if (fd_ < 0 || !can_write_ || output_length_ == 0 || length != output_length_) {
    return HidIoResult::kFailed;
  }
  const uint16_t own_length = output_length_by_id_[buffer[0]];
  if (own_length == 0) return HidIoResult::kFailed;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
  // The node is non-blocking and almost always has room: try the write first
  // and only wait for room when it would block.
  for (bool first = true;; first = false) {
    if (!first) {
      const HidIoResult ready = WaitReady(fd_, POLLOUT, cancel_fd, timeout_ms, deadline);
      if (ready != HidIoResult::kOk) return ready;
    }
    const ssize_t n = ::send(fd_, buffer, own_length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == ENOTSOCK) {
      const ssize_t written = ::write(fd_, buffer, own_length);
      if (written == own_length) break;
      if (written < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return written < 0 && IsGoneError(errno) ? HidIoResult::kDeviceGone : HidIoResult::kFailed;
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return IsGoneError(errno) ? HidIoResult::kDeviceGone : HidIoResult::kFailed;
    }
    if (n != own_length) return HidIoResult::kFailed;
    break;
  }
  *bytes_written = length;
  return HidIoResult::kOk;
}

HidIoResult HidrawHandle::SetOutputReport(const uint8_t* buffer, uint32_t length) {
  if (fd_ < 0 || !can_write_ || buffer == nullptr || length == 0) return HidIoResult::kFailed;
  const uint16_t own_length = output_length_by_id_[buffer[0]];
  if (own_length == 0 || length < own_length) return HidIoResult::kFailed;
  const auto failure = [] { return IsGoneError(errno) ? HidIoResult::kDeviceGone : HidIoResult::kFailed; };
  if (output_path_ == OutputPath::kUnknown) {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return failure();
    output_path_ = S_ISSOCK(info.st_mode) ? OutputPath::kSocket : OutputPath::kIoctl;
  }
  if (output_path_ == OutputPath::kSocket) {
    const ssize_t n = ::send(fd_, buffer, own_length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return failure();
    return n == own_length ? HidIoResult::kOk : HidIoResult::kFailed;
  }
#ifdef HIDIOCSOUTPUT
  if (output_path_ == OutputPath::kIoctl) {
    // The request takes a writable buffer; the kernel does not change an output report.
    std::vector<uint8_t> report(buffer, buffer + own_length);
    if (::ioctl(fd_, HIDIOCSOUTPUT(own_length), report.data()) >= 0) return HidIoResult::kOk;
    if (errno != ENOTTY && errno != EINVAL) return failure();
    // A kernel without the request: the report goes as a write from now on.
    output_path_ = OutputPath::kWrite;
  }
#endif
  const ssize_t written = ::write(fd_, buffer, own_length);
  if (written < 0) return failure();
  return written == own_length ? HidIoResult::kOk : HidIoResult::kFailed;
}

}  // namespace zt640::platform
