#include "update/update_pass.h"

#include "platform/diag/debug_output.h"
#include "platform/sync/event.h"
#include "update/update_check_schedule.h"

namespace zt640 {

namespace {

/// The row's name: the target's display name; the application keeps its own
/// name rather than the model it shares with the last device row.
std::string RowName(const UpdateTarget& target) {
  return target.row.IsApplication() ? kApplicationRowName : target.row.display_name;
}

/// The current version a row shows before (and without) an answer.
std::string PlainVersionText(const UpdateTarget& target) {
  return target.row.IsApplication() ? target.row.version_text
                                    : VersionText(target.current_version, target.row.version_format);
}

}  // namespace

UpdateWindowStatus RunUpdatePass(const std::vector<UpdateTarget>& targets, const UpdateQuery& query,
                                 UpdateCheckSchedule& schedule, UpdateListSink& sink, const platform::Event& stop) {
  sink.StatusChanged(UpdateWindowStatus::kChecking);
  std::vector<UpdateRow> rows;
  for (const UpdateTarget& target : targets) {
    UpdateRow row;
    row.name = RowName(target);
    row.current_version_text = PlainVersionText(target);
    rows.push_back(row);
  }
  sink.RowsCreated(rows);

  std::size_t failures = 0;
  for (std::size_t index = 0; index < targets.size(); ++index) {
    if (stop.IsSet()) return UpdateWindowStatus::kChecking;
    const UpdateTarget& target = targets[index];
    UpdateResult result = query(BuildUpdateKey(target), target.current_version, target.row.version_format,
                                [&stop] { return stop.IsSet(); });
    if (stop.IsSet()) return UpdateWindowStatus::kChecking;
    if (result.name == kNoLinkServer) {
      ++failures;
      result.name.clear();
    } else if (!schedule.RecordCheck()) {
      platform::DebugOutput("update check date could not be stored");
    }
    // No answer, or no usable one: the row shows the target as up to date.
    if (result.status == UpdateStatus::kUnset) {
      result.current_version_text = PlainVersionText(target);
      result.new_version_text.clear();
      result.status = UpdateStatus::kCurrent;
    }
    result.name = RowName(target);
    UpdateRow& row = rows[index];
    row.name = result.name;
    row.current_version_text = result.current_version_text.empty() ? PlainVersionText(target)
                                                                   : result.current_version_text;
    row.new_version_text = result.status == UpdateStatus::kCurrent ? std::string() : result.new_version_text;
    row.state = result.status == UpdateStatus::kNewer ? UpdateRowState::kNeedUpdate : UpdateRowState::kUpToDate;
    row.path = result.path;
    row.checked = false;
    row.result = result;
    sink.RowChanged(index, row);
  }

  bool any_update = false;
  for (std::size_t index = 0; index < rows.size(); ++index) {
    UpdateRow& row = rows[index];
    const bool can_update = row.state != UpdateRowState::kUpToDate && row.state != UpdateRowState::kOlder;
    row.check_enabled = can_update;
    row.checked = can_update;
    any_update = any_update || can_update;
    sink.RowChanged(index, row);
  }
  const UpdateWindowStatus status = any_update                    ? UpdateWindowStatus::kHaveUpdates
                                    : !targets.empty() && failures == targets.size() ? UpdateWindowStatus::kNoService
                                                                  : UpdateWindowStatus::kAllCurrent;
  sink.StatusChanged(status);
  return status;
}

}  // namespace zt640
