#pragma once

#include <functional>
#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/key_assignment.h"
#include "profiles/macro_library.h"
#include "profiles/panel_result.h"
#include "profiles/profile_list.h"

namespace zt640 {

/// Questions the deletion asks before it changes anything; each answers
/// true to go on.
struct MacroDeletionConfirmations {
  std::function<bool()> confirm_delete;  ///< "message_text_4": delete the macro?
  std::function<bool()> confirm_in_use;  ///< "message_text_2": the active profile uses it; delete anyway?
};

/// What a deletion did.
struct MacroDeletionOutcome {
  PanelResult result;
  int position = -1;                    ///< former position of the deleted macro
  bool active_changed = false;          ///< the active key list was fixed up and saved
  std::vector<KeyListEntry> active_list;  ///< the active key list after the fix-up
  int profiles_changed = 0;             ///< other profiles rewritten
  int profiles_failed = 0;              ///< other profiles that could not be rewritten
};

/// Deleting a macro together with the key assignments that name macros by
/// their position in the library.
class MacroDeletion {
 public:
  /// True when an entry's current assignment plays macro `position`.
  [[nodiscard]] static bool UsesMacro(const std::vector<KeyListEntry>& list, int position);
  /// Fix-up of one key list after macro `position` goes: assignments of that
  /// macro return to the key's default record, those of later macros move
  /// down by one. True when anything changed.
  [[nodiscard]] static bool FixUp(std::vector<KeyListEntry>& list, int position);

  /// Deletes the library's selected macro. Asks confirm_delete, then, when
  /// the active profile's key list uses it, confirm_in_use; a declined
  /// question changes nothing. Then removes the macro from the library (and
  /// its file), fixes up every other profile of `profiles` through the side
  /// document of `active` and saves those that changed, and fixes up the
  /// active key list, storing it in `active` and saving it when it changed.
  /// `active` holds the loaded active profile.
  [[nodiscard]] static MacroDeletionOutcome DeleteWithReferences(MacroLibrary& library, const ProfileList& profiles,
                                                                 CBasicProfiledata& active,
                                                                 const MacroDeletionConfirmations& confirmations);
};

}  // namespace zt640
