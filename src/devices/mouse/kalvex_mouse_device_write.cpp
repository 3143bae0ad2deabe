#include <algorithm>

#include "devices/macro_download.h"
#include "devices/macro_library_reader.h"
#include "devices/macro_table.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/mouse/mouse_shoot_table.h"
#include "platform/diag/debug_output.h"
#include "profiles/key_tables.h"

namespace zt640 {
namespace {

bool IsMacro(const KeyAssignment& assignment) {
  return assignment.type == key_type::kMacroPlayMode || assignment.type == key_type::kMacroRepeat;
}

/// Renumbers the macro assignments of the buttons the mouse has densely, in
/// button order: a macro number below `library_size` becomes its position in
/// `used` (appended on first use); a number beyond the library gives the
/// button its default assignment.
void RenumberMacros(std::map<int, KeyListEntry>& assignments, const MouseButtonMap& buttons,
                    size_t library_size, std::vector<int>* used) {
  for (auto& [button, entry] : assignments) {
    if (button < 0 || !buttons.Has(static_cast<size_t>(button))) continue;
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

/// Writes a table area inside 0x01 ... 0x02 with `write`; the area's own
/// result decides, a failed close after it still counts.
template <typename Write>
int InConfig(CommandChannel& channel, Write write) {
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  result = write();
  const int closed = channel.EndConfig();
  return result != CommandResult::kSuccess ? result : closed;
}

}  // namespace

std::vector<int> CKalvexMouseDevice::GetMacroUsage() {
  const auto library = MacroLibraryReader::Load(GetDataFolder());
  std::map<int, KeyListEntry> copy = KeyListMap();
  std::vector<int> used;
  RenumberMacros(copy, button_map_, library ? library->Count() : 0, &used);
  return used;
}

int CKalvexMouseDevice::WriteKeyAssignments(int layer, std::map<int, KeyListEntry>* assignments) {
  if (assignments == nullptr || !LinkUp()) return CommandResult::kFailed;
  CommandChannel& channel = Channel();
  if (channel.ReadDeviceInfo(&device_info_) != CommandResult::kSuccess) return CommandResult::kFailed;
  const size_t length = 3u * device_info_.key_count();
  if (channel.SetBlockSize(static_cast<uint16_t>(length)) != CommandResult::kSuccess) return CommandResult::kFailed;
  const auto library = MacroLibraryReader::Load(GetDataFolder());
  std::vector<int> used;
  RenumberMacros(*assignments, button_map_, library ? library->Count() : 0, &used);

  // Keys that are no logical button keep the values read from the mouse.
  std::array<uint8_t, 512> table = key_table_;
  for (const auto& [button, entry] : *assignments) {
    if (button < 0 || !button_map_.Has(static_cast<size_t>(button))) continue;
    const size_t p = button_map_.Position(static_cast<size_t>(button));
    if (3 * p + 2 >= length) continue;
    table[3 * p] = entry.current.assignment.type;
    table[3 * p + 1] = entry.current.assignment.param1;
    table[3 * p + 2] = entry.current.assignment.param2;
  }
  const int result = InConfig(channel, [&] {
    return channel.WriteKeyTable(layer, std::span<const uint8_t>(table.data(), length));
  });
  if (result != CommandResult::kSuccess) return CommandResult::kFailed;
  key_table_ = table;
  return CommandResult::kSuccess;
}

int CKalvexMouseDevice::WriteCurrentKeyAssignments(int layer) {
  std::map<int, KeyListEntry> copy = KeyListMap();
  return WriteKeyAssignments(layer, &copy);
}

MacroWriteResult CKalvexMouseDevice::WriteMacros(const std::vector<int>& macros) {
  using Outcome = MacroWriteResult::Outcome;
  CommandChannel& channel = Channel();
  if (channel.is_open()) {
    if (!channel.QueryReceiverLink()) return {Outcome::kFailed};
    if (channel.ReadDeviceInfo(&device_info_) != CommandResult::kSuccess) return {Outcome::kFailed};
  }
  const MacroDownload download = PrepareMacroDownload(GetDataFolder(), macros, device_info_.macro_capacity_bytes());
  if (download.done) return *download.done;
  if (!channel.is_open()) return {Outcome::kWritten};
  const int result = InConfig(channel, [&] { return channel.WriteMacroArea(download.table); });
  return {result == CommandResult::kSuccess ? Outcome::kWritten : Outcome::kFailed};
}

MacroWriteResult CKalvexMouseDevice::WriteShootData() {
  using Outcome = MacroWriteResult::Outcome;
  if (!LinkUp()) return {Outcome::kFailed};
  CommandChannel& channel = Channel();
  if (channel.ReadDeviceInfo(&device_info_) != CommandResult::kSuccess) return {Outcome::kFailed};
  ShootData guns;
  guns.SetShootFolders(GetDataFolder(), GetDefaultsFolder());
  // A gun without a file of its own plays its default pattern.
  (void)guns.InitShootData();  // a gun whose file cannot be written reads as empty
  const auto blocks = MouseShootTable::Blocks(guns);
  const size_t total = MacroTable::TotalSize(blocks);
  const size_t capacity = device_info_.macro_capacity_bytes();
  if (total > capacity) return {Outcome::kTooLong, (total - capacity) / 4 + 1};
  const std::vector<uint8_t> table = MacroTable::Build(blocks);
  if (table.empty()) return {Outcome::kFailed};
  const int result = InConfig(channel, [&] { return channel.WriteShootData(table); });
  return {result == CommandResult::kSuccess ? Outcome::kWritten : Outcome::kFailed};
}

MouseSettingsRecord CKalvexMouseDevice::BuildSettingsRecord(uint8_t byte0, uint8_t byte59, uint16_t width,
                                                            uint16_t height) const {
  MouseSettingsInput input;
  input.slot_byte = byte0;
  input.mode_code = ModeCode(effect_.mode);
  input.light = effect_;
  input.report_rate = options_.report_stage;
  input.current_stage = current_stage_;
  input.stages = stages_;
  input.byte59 = byte59;
  input.screen_width = width;
  input.screen_height = height;
  if (const CorrectEntry* correction = SelectedCorrection(corrections_)) {
    input.correct_min_sq = correction->minimum_square;
    input.correct_pix_thresh = correction->pixel_threshold;
  }
  return MouseSettingsRecord::Build(input);
}

int CKalvexMouseDevice::WriteSettingsRecord(int slot, int slot_number) {
  return WriteSettingsRecord(slot, static_cast<uint8_t>(slot_number), 1, screen_width_, screen_height_);
}

int CKalvexMouseDevice::WriteSettingsRecord(int slot, uint8_t byte0, uint8_t byte59, uint16_t width,
                                            uint16_t height) {
  // The slot's record must lie within the 16-bit settings offsets.
  if (slot < 0 || slot > 0xFFFF / MouseSettingsRecord::kSlotStride) return CommandResult::kFailed;
  const MouseSettingsRecord record = BuildSettingsRecord(byte0, byte59, width, height);
  if (!LinkUp()) return CommandResult::kFailed;
  CommandChannel& channel = Channel();
  const int result = InConfig(channel, [&] {
    return channel.WriteSettings(static_cast<uint16_t>(slot * MouseSettingsRecord::kSlotStride), record.WriteBytes());
  });
  return result == CommandResult::kSuccess ? CommandResult::kSuccess : CommandResult::kFailed;
}

void CKalvexMouseDevice::DropMissingMacros() {
  LoadNameLists();
  const size_t count = names_.macro_names.size();
  bool changed = false;
  for (KeyListEntry& entry : key_list_) {
    if (IsMacro(entry.current.assignment) && entry.current.assignment.param1 >= count) {
      entry.current = entry.defaults;
      changed = true;
    }
  }
  if (!changed) return;
  profile_.SetKeyList(key_list_);
  Sink().ShowKeyAssignments();
}

}  // namespace zt640
