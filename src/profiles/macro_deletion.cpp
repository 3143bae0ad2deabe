#include "profiles/macro_deletion.h"

#include "profiles/key_tables.h"

namespace zt640 {

namespace {

bool PlaysMacro(const KeyRecord& record) {
  return record.assignment.type == key_type::kMacroPlayMode || record.assignment.type == key_type::kMacroRepeat;
}

}  // namespace

bool MacroDeletion::UsesMacro(const std::vector<KeyListEntry>& list, int position) {
  for (const KeyListEntry& entry : list) {
    if (PlaysMacro(entry.current) && entry.current.assignment.param1 == position) return true;
  }
  return false;
}

bool MacroDeletion::FixUp(std::vector<KeyListEntry>& list, int position) {
  bool changed = false;
  for (KeyListEntry& entry : list) {
    if (!PlaysMacro(entry.current)) continue;
    if (entry.current.assignment.param1 == position) {
      entry.current = entry.defaults;
      changed = true;
    } else if (entry.current.assignment.param1 > position) {
      --entry.current.assignment.param1;
      changed = true;
    }
  }
  return changed;
}

MacroDeletionOutcome MacroDeletion::DeleteWithReferences(MacroLibrary& library, const ProfileList& profiles,
                                                         CBasicProfiledata& active,
                                                         const MacroDeletionConfirmations& confirmations) {
  MacroDeletionOutcome outcome;
  outcome.result = PanelResult::Unchanged(message_key::kNoSelection);
  if (!confirmations.confirm_delete || !confirmations.confirm_delete()) {
    outcome.result = PanelResult::Unchanged(message_key::kConfirmMacroDelete);
    return outcome;
  }
  const int position = library.GetSelectedMacro();
  if (position < 0) return outcome;
  outcome.active_list = active.GetKeyList();
  if (UsesMacro(outcome.active_list, position) &&
      (!confirmations.confirm_in_use || !confirmations.confirm_in_use())) {
    outcome.result = PanelResult::Unchanged(message_key::kConfirmMacroInUse);
    return outcome;
  }

  // The library goes first: when it cannot be written nothing else changes,
  // and the key lists are only renumbered once the positions really moved.
  PanelResult deleted;
  outcome.position = library.DeleteMacro(&deleted);
  outcome.result = deleted;
  if (outcome.position < 0) return outcome;

  const std::string active_uuid = profiles.GetActiveProfileUuid();
  for (size_t i = 0; i < profiles.Entries().size(); ++i) {
    if (profiles.Entries()[i].uuid == active_uuid) continue;
    const std::string path = profiles.GetProfilePathAt(static_cast<int>(i));
    active.LoadSideProfile(path);
    std::vector<KeyListEntry> list = active.GetSideKeyList();
    if (!FixUp(list, position)) continue;
    active.SetSideKeyList(list);
    if (active.SaveSideProfile(path)) {
      ++outcome.profiles_changed;
    } else {
      ++outcome.profiles_failed;
    }
  }
  if (FixUp(outcome.active_list, position)) {
    active.SetKeyList(outcome.active_list);
    outcome.active_changed = true;
    if (!active.Save()) ++outcome.profiles_failed;
  }
  if (outcome.profiles_failed > 0) outcome.result = PanelResult::Failed();
  return outcome;
}

}  // namespace zt640
