#include "shell/game_event_lighting.h"

#include "devices/kalvex_usb_device.h"
#include "devices/light_state.h"
#include "platform/diag/debug_output.h"
#include "transport/command_result.h"

namespace zt640 {

std::array<uint32_t, 4> GameEventLighting::EventState(std::array<uint32_t, 4> words, uint64_t action, int64_t mode) {
  if (action > 2) return words;
  LightState state = LightState::FromWords(words);
  if (action == 0) {
    const uint8_t current = state.bytes[LightState::kMode];
    state.bytes[LightState::kPreviousMode] = (current == 0 || current > kHighestSavedMode) ? 1 : current;
  }
  state.bytes[LightState::kMode] = static_cast<uint8_t>(mode & 0xFF);
  return state.Words();
}

std::array<uint32_t, 4> GameEventLighting::RestoredState(std::array<uint32_t, 4> words) {
  LightState state = LightState::FromWords(words);
  state.bytes[LightState::kMode] = state.bytes[LightState::kPreviousMode];
  return state.Words();
}

uint8_t GameEventLighting::SavedMode(const std::array<uint32_t, 4>& words) {
  return LightState::FromWords(words).bytes[LightState::kPreviousMode];
}

bool GameEventLighting::Apply(CKalvexUSBDevice& device, uint64_t action, int64_t mode) {
  if (action > 2) return false;
  device.SetSyncFlag(false);
  Commit(device, EventState(device.GetLightState().Words(), action, mode));
  return true;
}

void GameEventLighting::Restore(CKalvexUSBDevice& device) {
  device.SetSyncFlag(false);
  Commit(device, RestoredState(device.GetLightState().Words()));
}

void GameEventLighting::Commit(CKalvexUSBDevice& device, const std::array<uint32_t, 4>& words) {
  device.SetLightState(words);
  // This runs on the device's worker with nobody to tell: failures go to the log.
  if (!device.SaveProfileData()) platform::DebugOutput("game event lighting not saved in the profile");
  device.InitializeDevice();
  const int written = device.WriteSettingsRecord(0, 0);
  if (written != CommandResult::kSuccess) {
    platform::DebugOutput("game event lighting not written to the device: " + std::to_string(written));
  }
}

}  // namespace zt640
