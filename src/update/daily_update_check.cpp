#include "update/daily_update_check.h"

#include "update/update_check_schedule.h"

namespace zt640 {

namespace {

/// Keeps nothing: the start-up check only needs the final status.
class SilentSink : public UpdateListSink {
 public:
  void RowsCreated(const std::vector<UpdateRow>& /*rows*/) override {}
  void RowChanged(std::size_t /*index*/, const UpdateRow& /*row*/) override {}
  void StatusChanged(UpdateWindowStatus /*status*/) override {}
};

}  // namespace

std::optional<UpdateWindowStatus> CheckForUpdatesIfDue(const std::vector<UpdateTarget>& targets,
                                                       const UpdateQuery& query, UpdateCheckSchedule& schedule,
                                                       const platform::Event& stop) {
  if (!schedule.IsCheckDue()) return std::nullopt;
  SilentSink sink;
  return RunUpdatePass(targets, query, schedule, sink, stop);
}

}  // namespace zt640
