#include "updateclient/file_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/diag/debug_output.h"
#include "updateclient/curl_library.h"
#include "updateclient/curl_transfer.h"
#include "updateclient/sha256.h"
#include "updateclient/update_address.h"

namespace zt640 {

namespace {

constexpr std::size_t kMaxFileNameLength = 120;
constexpr int kMaxRedirects = 5;
constexpr int kMaxNameTries = 100;
constexpr const char* kPartSuffix = ".part";

/// Owns the ".part" file: closes it, and removes it unless it was kept.
class PartFile {
 public:
  explicit PartFile(std::string path) : path_(std::move(path)) {
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd_ < 0 && errno == EEXIST && unlink(path_.c_str()) == 0) {
      // A ".part" left by an earlier run that ended without cleaning up.
      fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    }
    created_ = fd_ >= 0;
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (created_ && !kept_) (void)unlink(path_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  [[nodiscard]] bool valid() const { return fd_ >= 0; }

  [[nodiscard]] bool Write(const char* data, std::size_t length) {
    while (length > 0) {
      const ssize_t written = write(fd_, data, length);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      data += written;
      length -= static_cast<std::size_t>(written);
    }
    return true;
  }

  /// Flushes and closes the file and moves it to `final_path`; the ".part" is removed on failure.
  [[nodiscard]] bool Finish(const std::string& final_path) {
    const bool flushed = fsync(fd_) == 0;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!flushed || !closed || rename(path_.c_str(), final_path.c_str()) != 0) return false;
    kept_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool kept_ = false;
};

/// The transfer's state, shared with the write callback.
struct Transfer {
  PartFile* file = nullptr;
  Sha256 digest;
  int64_t received = 0;
  int64_t limit = kMaxDownloadBytes;
  int64_t expected = 0;
  const CurlLibrary* curl = nullptr;
  CURL* easy = nullptr;
  const DownloadProgress* progress = nullptr;
  bool too_large = false;
  bool write_failed = false;
};

size_t WriteChunk(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (static_cast<int64_t>(bytes) > transfer->limit - transfer->received) {
    transfer->too_large = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  if (!transfer->file->Write(data, bytes)) {
    transfer->write_failed = true;
    return 0;
  }
  transfer->digest.Update(data, bytes);
  transfer->received += static_cast<int64_t>(bytes);
  if (*transfer->progress) {
    int64_t total = transfer->expected;
    curl_off_t length = -1;
    if (total == 0 &&
        transfer->curl->easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0) {
      total = length;
    }
    (*transfer->progress)(transfer->received, total);
  }
  return bytes;
}

bool FileExists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

/// `folder`/`name`, or with "-N" before the extension when that is taken; empty when no name is free.
std::string FreePath(const std::string& folder, const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
  for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
    const std::string candidate =
        folder + "/" + (attempt == 0 ? name : stem + "-" + std::to_string(attempt) + extension);
    if (!FileExists(candidate) && !FileExists(candidate + kPartSuffix)) return candidate;
  }
  return {};
}

DownloadOutcome FailedOutcome(CURLcode code, const Transfer& transfer) {
  if (code == CURLE_ABORTED_BY_CALLBACK) return DownloadOutcome::kCancelled;
  if (transfer.too_large) return DownloadOutcome::kTooLarge;
  if (transfer.write_failed) return DownloadOutcome::kWriteFailed;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
      return DownloadOutcome::kNotReached;
    case CURLE_HTTP_RETURNED_ERROR:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return DownloadOutcome::kHttpError;
    case CURLE_OPERATION_TIMEDOUT:
      return DownloadOutcome::kTimedOut;
    default:
      return DownloadOutcome::kBroken;
  }
}

}  // namespace

std::string DownloadFileName(const std::string& address) {
  const std::size_t scheme = address.find("://");
  const std::size_t path_start = address.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  if (scheme == std::string::npos || path_start == std::string::npos) return {};
  std::string path = address.substr(path_start);
  path = path.substr(0, path.find_first_of("?#"));
  std::string name = path.substr(path.find_last_of('/') + 1);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (!std::isalnum(byte) && c != '.' && c != '-' && c != '_' && c != '+') c = '_';
  }
  const std::size_t first = name.find_first_not_of('.');
  name = first == std::string::npos ? std::string() : name.substr(first);
  if (name.size() > kMaxFileNameLength) name = name.substr(name.size() - kMaxFileNameLength);
  if (name.find_first_not_of("._-+") == std::string::npos) return {};
  return name;
}

DownloadResult DownloadFile(const DownloadRequest& request, const DownloadProgress& progress,
                            const ExchangeCancel& cancelled) {
  return DownloadFile(CurlLibrary::Shared(), request, progress, cancelled);
}

DownloadResult DownloadFile(const CurlLibrary* curl, const DownloadRequest& request, const DownloadProgress& progress,
                            const ExchangeCancel& cancelled) {
  DownloadResult result;
  if (curl == nullptr) {
    // Without the library nothing can be fetched: the same answer as an unreachable server.
    platform::DebugOutput("download failed: libcurl is not available");
    result.outcome = DownloadOutcome::kNotReached;
    return result;
  }
  if (!IsAcceptedUpdateAddress(request.address)) {
    result.outcome = DownloadOutcome::kRefusedAddress;
    return result;
  }
  const std::string name = DownloadFileName(request.address);
  if (name.empty()) {
    result.outcome = DownloadOutcome::kNoFileName;
    return result;
  }
  struct stat folder_status {};
  const std::string final_path = FreePath(request.folder, name);
  if (stat(request.folder.c_str(), &folder_status) != 0 || !S_ISDIR(folder_status.st_mode) || final_path.empty()) {
    result.outcome = DownloadOutcome::kFolderUnusable;
    return result;
  }
  PartFile file(final_path + kPartSuffix);
  if (!file.valid()) {
    result.outcome = DownloadOutcome::kFolderUnusable;
    return result;
  }

  const CurlEasyHandle easy = MakeEasyHandle(*curl);
  if (!easy) return result;
  CURL* handle = easy.get();
  Transfer transfer;
  transfer.file = &file;
  transfer.expected = request.expected_size;
  transfer.limit = request.expected_size > 0 ? request.expected_size : kMaxDownloadBytes;
  transfer.curl = curl;
  transfer.easy = handle;
  transfer.progress = &progress;
  const long stall_seconds = std::max(1L, static_cast<long>(request.stall_timeout.count() / 1000));
  bool configured = curl->easy_setopt(handle, CURLOPT_URL, request.address.c_str()) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects)) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_FAILONERROR, 1L) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_USERAGENT, kUpdateUserAgent) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                                      static_cast<long>(request.connect_timeout.count())) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stall_seconds) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteChunk) == CURLE_OK &&
                    curl->easy_setopt(handle, CURLOPT_WRITEDATA, &transfer) == CURLE_OK;
  // A server on this computer is never reached through a proxy.
  if (configured && IsLoopbackAddress(request.address)) {
    configured = curl->easy_setopt(handle, CURLOPT_NOPROXY, "*") == CURLE_OK;
  }
  if (!configured) return result;

  const CURLcode code = PerformTransfer(*curl, handle, cancelled);
  result.bytes = transfer.received;
  if (code != CURLE_OK) {
    result.outcome = FailedOutcome(code, transfer);
    platform::DebugOutput(std::string("download failed: ") + curl->easy_strerror(code));
    return result;
  }
  if (transfer.received == 0) {
    result.outcome = DownloadOutcome::kBroken;
  } else if (request.expected_size > 0 && transfer.received != request.expected_size) {
    result.outcome = DownloadOutcome::kSizeMismatch;
  } else if (!request.sha256.empty() && transfer.digest.FinishHex() != request.sha256) {
    result.outcome = DownloadOutcome::kDigestMismatch;
  } else if (!file.Finish(final_path)) {
    result.outcome = DownloadOutcome::kWriteFailed;
  } else {
    result.outcome = DownloadOutcome::kDone;
    result.file_path = final_path;
  }
  return result;
}

const char* DownloadOutcomeText(DownloadOutcome outcome) {
  switch (outcome) {
    case DownloadOutcome::kDone:
      return "downloaded";
    case DownloadOutcome::kRefusedAddress:
      return "the download address is refused (https only; plain http only to this computer)";
    case DownloadOutcome::kNoFileName:
      return "the download address names no file";
    case DownloadOutcome::kFolderUnusable:
      return "the download folder cannot be written";
    case DownloadOutcome::kNotReached:
      return "the download server could not be reached";
    case DownloadOutcome::kHttpError:
      return "the download server answered with an error";
    case DownloadOutcome::kBroken:
      return "the download broke off";
    case DownloadOutcome::kTimedOut:
      return "the download stalled";
    case DownloadOutcome::kTooLarge:
      return "the download is larger than announced";
    case DownloadOutcome::kSizeMismatch:
      return "the downloaded file is shorter than announced";
    case DownloadOutcome::kDigestMismatch:
      return "the downloaded file's SHA-256 does not match";
    case DownloadOutcome::kWriteFailed:
      return "the downloaded file could not be written";
    case DownloadOutcome::kCancelled:
      return "the download was stopped";
  }
  return "";
}

}  // namespace zt640
