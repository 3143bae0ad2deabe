#pragma once

#include <array>
#include <cstdint>

namespace zt640 {

class CKalvexUSBDevice;

/// Lighting that other programs switch for a moment with the game event messages
/// ("Game_Start", "Game_End", "Game_Kill", "Game_Death"): the selected device takes
/// the requested mode and, 5 s after the last event, gets back the mode it had.
class GameEventLighting {
 public:
  static constexpr int kRestoreDelayMs = 5000;
  static constexpr int kHighestSavedMode = 20;

  /// The light state words after an event with action `action` (0 saves the current
  /// mode first, 1 and 2 do not) asking for mode `mode`; nothing changes for other
  /// actions.
  [[nodiscard]] static std::array<uint32_t, 4> EventState(std::array<uint32_t, 4> words, uint64_t action,
                                                          int64_t mode);
  /// The light state words with the saved mode back in place.
  [[nodiscard]] static std::array<uint32_t, 4> RestoredState(std::array<uint32_t, 4> words);
  /// The mode the event saved (byte 13).
  [[nodiscard]] static uint8_t SavedMode(const std::array<uint32_t, 4>& words);

  /// Applies an event to `device`: it leaves the lighting synchronisation, takes the
  /// new state, saves it in its profile, reloads and writes its settings. False (and
  /// nothing done) for an action other than 0, 1 or 2.
  static bool Apply(CKalvexUSBDevice& device, uint64_t action, int64_t mode);
  /// Restores the mode saved by the events, the same way.
  static void Restore(CKalvexUSBDevice& device);

 private:
  static void Commit(CKalvexUSBDevice& device, const std::array<uint32_t, 4>& words);
};

}  // namespace zt640
