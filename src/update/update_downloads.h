#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "updateclient/file_download.h"

namespace zt640 {

namespace platform {
class Event;
}
class UpdateEventQueue;
struct UpdateRow;

/// One confirmed row of the update list and the file it fetches.
struct DownloadJob {
  std::size_t row = 0;
  DownloadRequest request;
};

/// What a download pass left behind.
struct DownloadSummary {
  std::vector<std::string> files;     ///< the saved files, in row order
  std::vector<std::string> failures;  ///< one reason per failed row
  bool stopped = false;               ///< `stop` ended the pass early
};

/// The jobs for the rows in `rows` (their download address, size and digest from
/// the service's answer) into `folder`.
[[nodiscard]] std::vector<DownloadJob> DownloadJobsFor(const std::vector<UpdateRow>& rows,
                                                       const std::vector<std::size_t>& confirmed,
                                                       const std::string& folder);

/// The download worker's pass: each job in turn takes its row to "downloading"
/// with its progress in whole percent, then to "downloaded" or "failed". A job
/// without an address fails at once. A set `stop` cuts the running download
/// short (its partial file is removed) and ends the pass; the rows not reached
/// stay as they were. Tells `events` DownloadsDone at the end unless stopped.
DownloadSummary RunDownloads(const std::vector<DownloadJob>& jobs, UpdateEventQueue& events,
                             const platform::Event& stop);

}  // namespace zt640
