#include "update/update_downloads.h"

#include <algorithm>

#include "platform/diag/debug_output.h"
#include "platform/sync/event.h"
#include "update/update_event_queue.h"
#include "update/update_pass.h"

namespace zt640 {

namespace {

int Percent(int64_t received, int64_t total) {
  if (total <= 0) return 0;
  const int64_t percent = received * 100 / total;
  return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

}  // namespace

std::vector<DownloadJob> DownloadJobsFor(const std::vector<UpdateRow>& rows, const std::vector<std::size_t>& confirmed,
                                         const std::string& folder) {
  std::vector<DownloadJob> jobs;
  for (const std::size_t index : confirmed) {
    if (index >= rows.size()) continue;
    const UpdateResult& result = rows[index].result;
    DownloadJob job;
    job.row = index;
    job.request.address = rows[index].path;
    job.request.folder = folder;
    job.request.expected_size = result.size;
    job.request.sha256 = result.sha256;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

DownloadSummary RunDownloads(const std::vector<DownloadJob>& jobs, UpdateEventQueue& events,
                             const platform::Event& stop) {
  DownloadSummary summary;
  for (const DownloadJob& job : jobs) {
    if (stop.IsSet()) {
      summary.stopped = true;
      return summary;
    }
    if (job.request.address.empty()) {
      events.RowStateChanged(job.row, UpdateRowState::kUpdateFailed);
      summary.failures.emplace_back("no download address");
      continue;
    }
    events.RowStateChanged(job.row, UpdateRowState::kDownloading);
    int shown = -1;
    const DownloadResult result = DownloadFile(
        job.request,
        [&](int64_t received, int64_t total) {
          const int percent = Percent(received, total);
          if (percent == shown) return;
          shown = percent;
          events.ProgressChanged(job.row, percent);
        },
        [&stop] { return stop.IsSet(); });
    if (result.outcome == DownloadOutcome::kCancelled) {
      summary.stopped = true;
      return summary;
    }
    if (result.outcome == DownloadOutcome::kDone) {
      events.RowStateChanged(job.row, UpdateRowState::kDownloaded);
      summary.files.push_back(result.file_path);
    } else {
      platform::DebugOutput(std::string("update download: ") + DownloadOutcomeText(result.outcome));
      events.RowStateChanged(job.row, UpdateRowState::kUpdateFailed);
      summary.failures.emplace_back(DownloadOutcomeText(result.outcome));
    }
  }
  events.DownloadsDone();
  return summary;
}

}  // namespace zt640
