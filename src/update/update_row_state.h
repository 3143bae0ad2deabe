#pragma once

#include <cstdint>

namespace zt640 {

/// The states of a row of the update list. A row takes the service's status
/// (1 or 7) as its state; the others belong to carrying out an update.
enum class UpdateRowState : int32_t {
  kOlder = 0,
  kNeedUpdate = 1,
  kNeedUpdateAgain = 2,
  kDownloadWaiting = 3,
  kDownloading = 4,
  kDownloaded = 5,
  kUpdating = 6,
  kUpToDate = 7,
  kUpdateFailed = 8,
};

/// How a row looks in one state: the language key of "update_status_text",
/// whether "update_status_ing" and "update_progress_value" show, whether the
/// done mark "update_status_ok" shows, whether the check box may be used, and
/// the name's colours (ARGB) when normal, selected and disabled.
struct UpdateRowLook {
  const char* status_text_key;
  bool progress_shown;
  bool done_mark;
  bool check_enabled;
  uint32_t name_colour;
  uint32_t selected_colour;
  uint32_t disabled_colour;
};

/// The look of a state; a value outside 0 to 8 looks like kUpToDate.
[[nodiscard]] const UpdateRowLook& LookOf(UpdateRowState state);

}  // namespace zt640
