#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update/update_row_state.h"
#include "updateclient/update_result.h"
#include "updateclient/update_target.h"

namespace zt640 {

namespace platform {
class Event;
}
class UpdateCheckSchedule;

/// The update window's status line.
enum class UpdateWindowStatus : int32_t {
  kChecking = 0,     ///< "GetUpdateInfoText"
  kHaveUpdates = 1,  ///< "HaveUpdateInfoText": at least one row can be updated
  kNoService = 2,    ///< "NoUpdateInfoText": no target reached the service
  kUpdating = 3,     ///< "ISUpdateINGText"
  kAllCurrent = 4,   ///< "UpdateIsLastText" + the last check date
};

/// The name of the application's row.
inline constexpr const char* kApplicationRowName = "AP";

/// One row of the update list as the window shows it.
struct UpdateRow {
  std::string name;
  std::string current_version_text;
  std::string new_version_text;  ///< empty (and hidden) for an up-to-date row
  UpdateRowState state = UpdateRowState::kUpToDate;
  std::string path;              ///< the download address of the reply
  bool check_enabled = false;
  bool checked = false;
  UpdateResult result;           ///< the whole answer behind the row
};

/// Receives the rows and the status as a pass produces them. Called on the
/// thread that runs the pass; a Qt window posts them on to its own thread.
class UpdateListSink {
 public:
  virtual ~UpdateListSink() = default;
  virtual void RowsCreated(const std::vector<UpdateRow>& rows) = 0;
  virtual void RowChanged(std::size_t index, const UpdateRow& row) = 0;
  virtual void StatusChanged(UpdateWindowStatus status) = 0;
};

/// Asks the service about one target (UpdateClient::QueryUpdate in the program);
/// the last argument tells whether to give up early.
using UpdateQuery = std::function<UpdateResult(const std::string& key, uint32_t current_version, uint32_t format,
                                               const std::function<bool()>& cancelled)>;

/// The update worker's pass over the targets the window was given: status
/// "checking"; one up-to-date row per target; then each target's answer into
/// its row (an unreachable service or an empty answer shows the row up to
/// date); then every row that can be updated enabled and ticked. The date of
/// the check is stored once any target reached the service. Returns the final
/// status: kHaveUpdates, else kNoService when no target reached the service,
/// else kAllCurrent. A set `stop` ends the pass at once, also inside a query,
/// with the status left at kChecking.
UpdateWindowStatus RunUpdatePass(const std::vector<UpdateTarget>& targets, const UpdateQuery& query,
                                 UpdateCheckSchedule& schedule, UpdateListSink& sink, const platform::Event& stop);

}  // namespace zt640
