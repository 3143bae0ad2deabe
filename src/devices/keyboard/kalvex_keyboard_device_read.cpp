#include <algorithm>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/key_match_file.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "platform/diag/debug_output.h"

namespace zt640 {

int CKalvexKeyboardDevice::ReadKeyTables() {
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return CommandResult::kFailed;
  // Every step runs even when one before it failed, so the keyboard always
  // gets its closing 0x02; the first failure is what the caller hears.
  int first_failure = CommandResult::kSuccess;
  const auto succeeded = [&first_failure](int result) {
    if (result == CommandResult::kSuccess) return true;
    if (first_failure == CommandResult::kSuccess) first_failure = result;
    return false;
  };
  succeeded(channel.BeginConfig());
  // A failed read keeps the previous record and with it the previous key count.
  const bool info_read = succeeded(channel.ReadDeviceInfo(&device_info_));
  const unsigned keys = device_info_.key_count();
  // Only a key count the channel cannot hold stops the sequence, without 0x02.
  if (channel.SetBlockSize(static_cast<uint16_t>(3 * keys)) != CommandResult::kSuccess) return CommandResult::kFailed;

  const auto& identity = channel.wired_interface().Attributes();
  if (!channel.via_receiver() && identity.vendor_id == kGatedVendor && identity.product_id == kGatedProduct &&
      identity.version_number != kExpectedFirmware) {
    Sink().PostToMainWindow(kFirmwareVersionMessage, identity.product_id, identity.version_number);
  }
  // The copies keep whatever the reads left in them.
  const bool table_read = succeeded(channel.ReadKeyTable(key_table_));
  const bool light_map_read = succeeded(channel.ReadKeyLightMap(key_light_map_));
  succeeded(channel.EndConfig());
  MatchKeys(info_read && table_read && light_map_read);
  return first_failure;
}

void CKalvexKeyboardDevice::MatchKeys(bool reads_complete) {
  CommandChannel& channel = Channel();
  const unsigned keys = device_info_.key_count();
  const HidDevice& hid = channel.via_receiver() ? channel.receiver_interface() : channel.wired_interface();
  const KeyMatchFile::Model model{hid.Attributes().product_id, keys};
  const std::string folder = GetDataFolder();
  const std::vector<uint8_t> remembered =
      folder.empty() ? std::vector<uint8_t>{} : KeyMatchFile::Load(folder, model, kUiKeyCount);
  KeyboardKeyMatcher::Match(key_table_, std::span<const uint8_t>(key_light_map_.data(), keys), keys,
                            &device_key_map_, &light_position_map_, remembered);
  PublishKeyMap();
  // Only a match made from a whole read is worth remembering.
  if (!reads_complete || folder.empty() || MatchedKeyCount() == 0) return;
  if (!KeyMatchFile::Save(folder, model, std::span<const uint8_t>(device_key_map_.data(), kUiKeyCount))) {
    platform::DebugOutput("key match not saved: " + folder + KeyMatchFile::kFileName);
  }
}

void CKalvexKeyboardDevice::PublishKeyMap() {
  std::lock_guard lock(inbox_->mutex);
  inbox_->ui_key_of_device.fill(kNoMapping);
  for (int j = 0; j < kUiKeyCount; ++j) {
    const uint8_t k = device_key_map_[static_cast<size_t>(j)];
    // Keys sharing a factory value share a device key; the first UI key wins.
    if (k != kNoMapping && inbox_->ui_key_of_device[k] == kNoMapping) {
      inbox_->ui_key_of_device[k] = static_cast<uint8_t>(j);
    }
  }
}

int CKalvexKeyboardDevice::ReadActiveSettings() {
  previous_effect_ = effect_;
  CommandChannel& channel = Channel();
  channel.set_lighting_paused(false);
  if (!channel.is_open()) return CommandResult::kFailed;
  uint8_t slot = 0;
  int result = channel.ReadSettings(0, std::span<uint8_t>(&slot, 1));
  if (result != CommandResult::kSuccess) return result;
  KeyboardSettingsRecord record;
  result = channel.ReadSettings(static_cast<uint16_t>(slot * KeyboardSettingsRecord::kSize), record.bytes);
  if (result != CommandResult::kSuccess) return result;

  active_slot_ = slot;
  record.bytes[KeyboardSettingsRecord::kSlot] = slot;
  record.bytes[KeyboardSettingsRecord::kSlotExtra] = 0;
  settings_record_ = record;
  const uint8_t code = record.bytes[KeyboardSettingsRecord::kModeCode];
  if (code != KeyboardSettingsRecord::kHostStreamedCode) {
    if (const auto index = ModeIndexOfCode(code)) effect_.mode = static_cast<uint8_t>(*index);
  }
  record.ApplyTo(&effect_, &options_);
  profile_.SetLightInfo(effect_);
  profile_.SetKeyboardOptions(options_);
  ApplyProfileState();
  return CommandResult::kSuccess;
}

void CKalvexKeyboardDevice::ReadDevice() {
  // A failed read leaves the values the profile gave; the log says which one.
  if (const int tables = ReadKeyTables(); tables != CommandResult::kSuccess) {
    platform::DebugOutput("key tables not read: " + std::to_string(tables));
  }
  LoadProfileState();
  if (const int settings = ReadActiveSettings(); settings != CommandResult::kSuccess) {
    platform::DebugOutput("active settings not read: " + std::to_string(settings));
  }
  ApplyProfileState();
  StartLightWorker();
}

void CKalvexKeyboardDevice::RefreshFromDevice() {
  if (reload_pending_) {
    LoadProfileState();
    reload_pending_ = false;
  }
  if (const int settings = ReadActiveSettings(); settings != CommandResult::kSuccess) {
    platform::DebugOutput("active settings not read: " + std::to_string(settings));
  }
  ApplyProfileState();
}

void CKalvexKeyboardDevice::ReadPowerStatus() {
  CommandChannel& channel = Channel();
  if (!channel.is_open() || !channel.QueryReceiverLink()) return;
  PowerRecord record;
  if (channel.ReadPowerRecord(&record) != CommandResult::kSuccess) return;
  record.bytes[PowerRecord::kViaReceiverOffset] = channel.via_receiver() ? 1 : 0;
  power_ = record;
  Sink().ShowPower(record);
}

bool CKalvexKeyboardDevice::IsReceiverLinkUp() {
  CommandChannel& channel = Channel();
  return channel.is_open() && channel.via_receiver() && channel.QueryReceiverLink();
}

}  // namespace zt640
