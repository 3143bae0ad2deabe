#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "updateclient/http_exchange.h"

namespace zt640 {

/// The largest file a download accepts when the service names no size.
inline constexpr int64_t kMaxDownloadBytes = int64_t{1} << 30;

/// How a download ended. Only kDone leaves a file behind.
enum class DownloadOutcome {
  kDone,
  kRefusedAddress,   ///< not https (nor plain http to this computer)
  kNoFileName,       ///< the address names no usable file
  kFolderUnusable,   ///< the destination folder is missing or not writable
  kNotReached,       ///< no connection to the server
  kHttpError,        ///< the server answered with an error status
  kBroken,           ///< the transfer broke off or brought nothing
  kTimedOut,         ///< no data arrived for longer than the receive time
  kTooLarge,         ///< more bytes came than the service named (or than kMaxDownloadBytes)
  kSizeMismatch,     ///< the file is shorter than the service named
  kDigestMismatch,   ///< the file's SHA-256 is not the one the service named
  kWriteFailed,      ///< the file could not be written (disk full, ...)
  kCancelled,        ///< the caller stopped it
};

/// What to fetch and what the result must be.
struct DownloadRequest {
  std::string address;         ///< the file's address (a reply's "path")
  std::string folder;          ///< existing folder the file is saved in
  int64_t expected_size = 0;   ///< the file's length in bytes; 0 when not known
  std::string sha256;          ///< the file's digest in hexadecimal; "" when not known
  std::chrono::milliseconds connect_timeout{60000};
  std::chrono::milliseconds stall_timeout{30000};  ///< longest time without a byte arriving
};

struct DownloadResult {
  DownloadOutcome outcome = DownloadOutcome::kBroken;
  std::string file_path;  ///< the saved file (kDone only)
  int64_t bytes = 0;      ///< bytes received
};

/// Told as bytes arrive: the bytes so far and the expected total (0 when unknown).
using DownloadProgress = std::function<void(int64_t received, int64_t total)>;

/// The file name a download address gives: the last part of its path (query and
/// fragment dropped), with every character other than letters, digits, ".", "-",
/// "_" and "+" made "_", and no leading dots. Empty when nothing usable remains,
/// so a name can never reach outside the destination folder.
[[nodiscard]] std::string DownloadFileName(const std::string& address);

/// Fetches `request.address` into `request.folder` under DownloadFileName (with
/// "-1", "-2", ... before the extension when the name is taken). The bytes go to a
/// ".part" file first; it becomes the file only when the transfer is complete, its
/// length and digest match what the service named; on any failure or a cancel it
/// is removed. Redirects are followed to https addresses only; an error status is
/// a failure, never saved. `cancelled` is asked at least every 50 ms.
[[nodiscard]] DownloadResult DownloadFile(const DownloadRequest& request, const DownloadProgress& progress,
                                          const ExchangeCancel& cancelled);

/// The same download through `curl` instead of the shared binding. A null binding
/// (libcurl could not be loaded) fetches nothing, leaves no file and ends as kNotReached.
[[nodiscard]] DownloadResult DownloadFile(const CurlLibrary* curl, const DownloadRequest& request,
                                          const DownloadProgress& progress, const ExchangeCancel& cancelled);

/// A short English sentence for an outcome, for diagnostics and messages.
[[nodiscard]] const char* DownloadOutcomeText(DownloadOutcome outcome);

}  // namespace zt640
