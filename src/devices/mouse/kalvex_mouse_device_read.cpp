#include <algorithm>

#include "devices/key_match_file.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "platform/diag/debug_output.h"

namespace zt640 {

bool CKalvexMouseDevice::LinkUp() {
  CommandChannel& channel = Channel();
  return channel.is_open() && channel.QueryReceiverLink();
}

int CKalvexMouseDevice::ReadDeviceTables() {
  if (!LinkUp()) return CommandResult::kFailed;
  CommandChannel& channel = Channel();
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  // Each failure still closes the sequence the 0x01 opened; the copies keep
  // what they held before.
  result = channel.ReadDeviceInfo(&device_info_);
  if (result == CommandResult::kSuccess) {
    const unsigned keys = device_info_.key_count();
    std::array<uint8_t, 512> table{};
    result = channel.SetBlockSize(static_cast<uint16_t>(3 * keys));
    if (result == CommandResult::kSuccess) result = channel.ReadKeyTable(table);
    if (result == CommandResult::kSuccess) {
      key_table_ = table;
      MatchButtons(keys);
    }
  }
  const int closed = channel.EndConfig();
  return result != CommandResult::kSuccess ? result : closed;
}

void CKalvexMouseDevice::MatchButtons(unsigned keys) {
  CommandChannel& channel = Channel();
  const HidDevice& hid = channel.via_receiver() ? channel.receiver_interface() : channel.wired_interface();
  const KeyMatchFile::Model model{hid.Attributes().product_id, keys};
  const std::string folder = GetDataFolder();
  const std::vector<uint8_t> remembered =
      folder.empty() ? std::vector<uint8_t>{} : KeyMatchFile::Load(folder, model, MouseButtonMap::kButtonCount);
  button_map_ = MouseButtonMap::Match(std::span<const uint8_t>(key_table_.data(), 3 * keys), keys, remembered);
  const auto positions = button_map_.RememberedForm();
  const bool any = std::any_of(positions.begin(), positions.end(),
                               [](uint8_t p) { return p != KeyMatchFile::kNone; });
  if (folder.empty() || !any) return;
  if (!KeyMatchFile::Save(folder, model, positions)) {
    platform::DebugOutput("button match not saved: " + folder + KeyMatchFile::kFileName);
  }
}

int CKalvexMouseDevice::ReadActiveSettings() {
  if (!LinkUp()) return CommandResult::kFailed;
  CommandChannel& channel = Channel();
  uint8_t slot = 0;
  int result = channel.ReadSettings(0, std::span<uint8_t>(&slot, 1));
  if (result != CommandResult::kSuccess) return result;
  MouseSettingsRecord record;
  result = channel.ReadSettings(static_cast<uint16_t>(slot * MouseSettingsRecord::kSlotStride), record.bytes);
  if (result != CommandResult::kSuccess) return result;

  active_slot_ = slot;
  settings_record_ = record;
  // A code no mode has keeps the mode shown.
  if (const auto index = ModeIndexOfCode(record.mode_code())) effect_.mode = static_cast<uint8_t>(*index);
  record.ApplyLightTo(&effect_);
  // A stage the mouse does not have keeps the current one; DPI levels are the profile's.
  if (record.current_stage() < kStageCount) current_stage_ = record.current_stage();
  profile_.SetActiveDpiStage(current_stage_);
  profile_.SetLightInfo(effect_);
  ShowLightStateOnRenderer();
  if (!SaveProfileData()) platform::DebugOutput("mouse profile not saved: " + profile_.GetProfilePath());
  return CommandResult::kSuccess;
}

void CKalvexMouseDevice::ReadDevice() {
  if (const int tables = ReadDeviceTables(); tables != CommandResult::kSuccess) {
    platform::DebugOutput("mouse tables not read: " + std::to_string(tables));
  }
  // The mouse may have lost the frame it was shown before.
  last_frame_.reset();
  LoadProfileState();
  ApplyProfileState();
  StartLightWorker();
}

void CKalvexMouseDevice::RefreshFromDevice() {
  if (const int settings = ReadActiveSettings(); settings != CommandResult::kSuccess) {
    platform::DebugOutput("mouse settings not read: " + std::to_string(settings));
  }
  ApplyProfileState();
}

void CKalvexMouseDevice::ReadPowerStatus() {
  if (!LinkUp()) return;
  PowerRecord record;
  if (Channel().ReadPowerRecord(&record) != CommandResult::kSuccess) return;
  record.bytes[PowerRecord::kViaReceiverOffset] = Channel().via_receiver() ? 1 : 0;
  power_ = record;
  Sink().ShowPower(record);
}

bool CKalvexMouseDevice::IsReceiverLinkUp() {
  CommandChannel& channel = Channel();
  return channel.is_open() && channel.via_receiver() && channel.QueryReceiverLink();
}

std::optional<MouseReport> CKalvexMouseDevice::HandleReport(uint16_t value, bool wired) {
  const auto report = DecodeMouseReport(value, wired);
  if (report && report->kind == MouseReport::Kind::kReactive) StartReactiveLighting();
  if (!report || report->kind != MouseReport::Kind::kSlot) return report;
  if (!Channel().is_open()) return std::nullopt;
  active_slot_ = report->slot;
  if (report->stage) {
    current_stage_ = *report->stage;
    profile_.SetActiveDpiStage(current_stage_);
  }
  ApplyProfileState();
  return report;
}

}  // namespace zt640
