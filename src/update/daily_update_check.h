#pragma once

#include <optional>
#include <vector>

#include "update/update_pass.h"

namespace zt640 {

/// The start-up check: once a day (when `schedule` says a check is due) asks the
/// service about the targets, as the update window would, without showing anything.
/// Returns the pass's final status (kHaveUpdates tells the main window to mark
/// "setbtn"), or none when today's check was already made. Runs on the caller's
/// thread; `stop` ends it early (status kChecking).
[[nodiscard]] std::optional<UpdateWindowStatus> CheckForUpdatesIfDue(const std::vector<UpdateTarget>& targets,
                                                                     const UpdateQuery& query,
                                                                     UpdateCheckSchedule& schedule,
                                                                     const platform::Event& stop);

}  // namespace zt640
