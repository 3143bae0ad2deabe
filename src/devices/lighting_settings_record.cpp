#include "devices/lighting_settings_record.h"

#include <algorithm>

namespace zt640 {

void LightingSettingsRecord::TakeLight(const LightState& state) {
  for (size_t i = 0; i < kLightBytes; ++i) bytes[kMode + i] = state.bytes[LightState::kMode + i];
}

void LightingSettingsRecord::GiveLight(LightState* state) const {
  for (size_t i = 0; i < kLightBytes; ++i) state->bytes[LightState::kMode + i] = bytes[kMode + i];
}

int LightingSettingsExchange::Read(CommandChannel& channel, uint8_t* slot, LightingSettingsRecord* raw) {
  if (!channel.is_open()) return CommandResult::kFailed;
  uint8_t active = 0;
  int result = channel.ReadSettings(0, std::span<uint8_t>(&active, 1));
  if (result != CommandResult::kSuccess) return result;
  std::array<uint8_t, LightingSettingsRecord::kReadLength> read{};
  result = channel.ReadSettings(static_cast<uint16_t>(active * LightingSettingsRecord::kReadStride), read);
  if (result != CommandResult::kSuccess) return result;
  *slot = active;
  std::copy_n(read.begin(), LightingSettingsRecord::kSize, raw->bytes.begin());
  return CommandResult::kSuccess;
}

int LightingSettingsExchange::Write(CommandChannel& channel, int slot, const LightingSettingsRecord& raw) {
  if (!channel.is_open() || slot < 0) return CommandResult::kFailed;
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  result = channel.WriteSettings(static_cast<uint16_t>(slot * LightingSettingsRecord::kWriteStride), raw.bytes);
  // The sequence the 0x01 opened is closed whatever the write answered.
  const int closed = channel.EndConfig();
  return result != CommandResult::kSuccess ? result : closed;
}

}  // namespace zt640
