#include <algorithm>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/macro_download.h"
#include "devices/macro_library_reader.h"
#include "devices/macro_table.h"
#include "profiles/key_tables.h"

namespace zt640 {
namespace {

bool IsMacro(const KeyAssignment& assignment) {
  return assignment.type == key_type::kMacroPlayMode || assignment.type == key_type::kMacroRepeat;
}

/// Renumbers macro assignments densely in key order: a macro number below
/// `library_size` becomes its position in `used` (appended on first use); a
/// number beyond the library falls back to the key's default assignment.
void RenumberMacros(std::map<int, KeyListEntry>& assignments, const KeyboardKeyMatcher::KeyMap& device_keys,
                    size_t library_size, std::vector<int>* used) {
  for (auto& [ui_key, entry] : assignments) {
    if (ui_key < 0 || ui_key >= 127 || static_cast<size_t>(ui_key) >= device_keys.size()) continue;
    if (device_keys[static_cast<size_t>(ui_key)] == CKalvexUSBDevice::kNoMapping) continue;
    KeyAssignment& current = entry.current.assignment;
    if (!IsMacro(current)) continue;
    const int number = current.param1;
    if (static_cast<size_t>(number) >= library_size) {
      entry.current = entry.defaults;
      continue;
    }
    auto found = std::find(used->begin(), used->end(), number);
    if (found == used->end()) {
      used->push_back(number);
      found = used->end() - 1;
    }
    current.param1 = static_cast<uint8_t>(found - used->begin());
  }
}

/// UI keys of `assignments` changed from their default that no device key
/// takes: a table write cannot carry their change to the keyboard.
std::vector<int> UnplacedChanges(const std::map<int, KeyListEntry>& assignments,
                                 const KeyboardKeyMatcher::KeyMap& device_keys) {
  std::vector<int> left_out;
  for (const auto& [ui_key, entry] : assignments) {
    if (ui_key < 0 || ui_key >= KeyboardKeyMatcher::kUiKeyCount) continue;
    if (device_keys[static_cast<size_t>(ui_key)] != CKalvexUSBDevice::kNoMapping) continue;
    if (!(entry.current.assignment == entry.defaults.assignment)) left_out.push_back(ui_key);
  }
  return left_out;
}

std::map<int, KeyListEntry> AsMap(const std::vector<KeyListEntry>& list) {
  std::map<int, KeyListEntry> map;
  for (size_t i = 0; i < list.size(); ++i) map[static_cast<int>(i)] = list[i];
  return map;
}

}  // namespace

std::vector<int> CKalvexKeyboardDevice::GetMacroUsage() {
  const auto library = MacroLibraryReader::Load(GetDataFolder());
  const size_t size = library ? library->Count() : 0;
  std::map<int, KeyListEntry> copy = AsMap(assignments_);
  std::vector<int> used;
  RenumberMacros(copy, device_key_map_, size, &used);
  return used;
}

int CKalvexKeyboardDevice::WriteKeyAssignments(int layer, std::map<int, KeyListEntry>* assignments) {
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return CommandResult::kFailed;
  int result = channel.ReadDeviceInfo(&device_info_);
  if (result != CommandResult::kSuccess) return result;
  const auto library = MacroLibraryReader::Load(GetDataFolder());
  std::vector<int> used;
  RenumberMacros(*assignments, device_key_map_, library ? library->Count() : 0, &used);

  std::array<uint8_t, 512> table = key_table_;
  for (const auto& [ui_key, entry] : *assignments) {
    if (ui_key < 0 || ui_key >= 127 || static_cast<size_t>(ui_key) >= device_key_map_.size()) continue;
    const uint8_t k = device_key_map_[static_cast<size_t>(ui_key)];
    if (k == kNoMapping || 3u * k + 2 >= table.size()) continue;
    table[3u * k] = entry.current.assignment.type;
    table[3u * k + 1] = entry.current.assignment.param1;
    table[3u * k + 2] = entry.current.assignment.param2;
  }
  result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  const size_t length = std::min<size_t>(3u * device_info_.key_count(), table.size());
  const int write = channel.WriteKeyTable(layer, std::span<const uint8_t>(table.data(), length));
  result = channel.EndConfig();
  // The table write decides the outcome; a failed close after it still counts.
  if (write != CommandResult::kSuccess) return write;
  if (result != CommandResult::kSuccess) return result;
  return UnplacedChanges(*assignments, device_key_map_).empty() ? CommandResult::kSuccess : kKeysLeftOut;
}

std::vector<int> CKalvexKeyboardDevice::KeysLeftOut() const {
  return UnplacedChanges(AsMap(assignments_), device_key_map_);
}

bool CKalvexKeyboardDevice::HasDeviceKey(int ui_key) const {
  return ui_key >= 0 && ui_key < kUiKeyCount && device_key_map_[static_cast<size_t>(ui_key)] != kNoMapping;
}

int CKalvexKeyboardDevice::WriteCurrentKeyAssignments(int layer) {
  std::map<int, KeyListEntry> copy = AsMap(assignments_);
  return WriteKeyAssignments(layer, &copy);
}

MacroWriteResult CKalvexKeyboardDevice::WriteMacros(const std::vector<int>& macros) {
  using Outcome = MacroWriteResult::Outcome;
  CommandChannel& channel = Channel();
  if (channel.is_open() && channel.ReadDeviceInfo(&device_info_) != CommandResult::kSuccess) return {Outcome::kFailed};
  const MacroDownload download = PrepareMacroDownload(GetDataFolder(), macros, device_info_.macro_capacity_bytes());
  if (download.done) return *download.done;
  if (!channel.is_open()) return {Outcome::kWritten};
  int result = channel.BeginConfig();
  if (result == CommandResult::kSuccess) result = channel.WriteMacroArea(download.table);
  const int closed = channel.EndConfig();
  const bool written = result == CommandResult::kSuccess && closed == CommandResult::kSuccess;
  return {written ? Outcome::kWritten : Outcome::kFailed};
}

int CKalvexKeyboardDevice::WriteSettingsRecord(int slot, int slot_number) {
  const KeyboardSettingsRecord record =
      KeyboardSettingsRecord::Build(static_cast<uint8_t>(slot_number), ModeCode(effect_.mode), effect_, options_);
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return CommandResult::kSuccess;
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  const int write = channel.WriteSettings(static_cast<uint16_t>(slot * KeyboardSettingsRecord::kSize), record.bytes);
  result = channel.EndConfig();
  if (write != CommandResult::kSuccess) return write;
  return result;
}

void CKalvexKeyboardDevice::DropMissingMacros() {
  LoadNameLists();
  const size_t count = names_.macro_names.size();
  bool changed = false;
  for (KeyListEntry& entry : assignments_) {
    if (IsMacro(entry.current.assignment) && entry.current.assignment.param1 >= count) {
      entry.current = entry.defaults;
      changed = true;
    }
  }
  if (changed) profile_.SetKeyList(assignments_);
}

int CKalvexKeyboardDevice::ResetKeyboard(MacroWriteResult* macro_result) {
  LoadProfileState();
  ApplyProfileState();
  const int reset = Channel().ResetToDefaults();
  *macro_result = WriteMacros(GetMacroUsage());
  const int keys = WriteCurrentKeyAssignments(0);
  if (reset != CommandResult::kSuccess) return reset;
  return keys;
}

}  // namespace zt640
