#include <algorithm>

#include "devices/kalvex_keyboard_device.h"
#include "devices/keyboard_effect_renderer.h"

namespace zt640 {

int CKalvexKeyboardDevice::ReadKeyTables() {
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return CommandResult::kFailed;
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  result = channel.ReadDeviceInfo(&device_info_);
  if (result != CommandResult::kSuccess) return result;
  const unsigned keys = device_info_.key_count();
  if (channel.SetBlockSize(static_cast<uint16_t>(3 * keys)) != 1) return CommandResult::kFailed;

  const auto& identity = channel.wired_interface().Attributes();
  if (!channel.via_receiver() && identity.vendor_id == kGatedVendor && identity.product_id == kGatedProduct &&
      identity.version_number != kExpectedFirmware) {
    Sink().PostToMainWindow(kFirmwareVersionMessage, identity.product_id, identity.version_number);
  }
  // The copies keep whatever the reads left; a failed read leaves stale keys.
  (void)channel.ReadKeyTable(key_table_);
  (void)channel.ReadKeyLightMap(key_light_map_);
  result = channel.EndConfig();
  KeyboardKeyMatcher::Match(key_table_, std::span<const uint8_t>(key_light_map_.data(), keys), keys,
                            &device_key_map_, &light_position_map_);
  PublishKeyMap();
  return result;
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
  (void)ReadKeyTables();
  (void)LoadProfileState();
  (void)ReadActiveSettings();
  ApplyProfileState();
  StartLightWorker();
}

void CKalvexKeyboardDevice::RefreshFromDevice() {
  if (reload_pending_) {
    (void)LoadProfileState();
    reload_pending_ = false;
  }
  (void)ReadActiveSettings();
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

int CKalvexKeyboardDevice::IsReceiverLinkUp() {
  CommandChannel& channel = Channel();
  return channel.is_open() && channel.via_receiver() && channel.QueryReceiverLink() ? 1 : 0;
}

}  // namespace zt640
