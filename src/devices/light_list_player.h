#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/zone_colour.h"
#include "profiles/light_effect.h"

namespace zt640 {

/// Plays a light list (the profile's light list, or the frames of a ".light"
/// file): each entry's effect over every zone until the entry's duration has
/// passed since it began, then the next entry, back to the first after the
/// last. An empty list leaves every zone off.
/// Not thread-safe: the owner serialises every call (the lighting lock).
class LightListPlayer {
 public:
  /// Effect types of an entry (its effect's mode byte).
  enum EntryType : uint8_t { kBreathing = 0, kStatic = 1, kBlink = 2, kWave = 4, kSpectrum = 5 };
  /// Wheel steps between neighbouring zones of the wave.
  static constexpr int kWaveZoneStep = 12;

  /// Replaces the entries and starts again at the first.
  void SetEntries(std::vector<EffectFrame> entries);
  [[nodiscard]] bool Empty() const { return entries_.empty(); }
  [[nodiscard]] const std::vector<EffectFrame>& Entries() const { return entries_; }
  [[nodiscard]] size_t CurrentEntry() const { return entry_; }

  /// `passes` worker passes (one per millisecond gone by) at `now_ms`. An entry
  /// renders once every few passes (its speed's period); only the last render
  /// of a call shows.
  void Run(uint32_t passes, uint32_t now_ms, std::vector<ZoneColour>& zones);

 private:
  std::vector<EffectFrame> entries_;
  size_t entry_ = 0;
  uint32_t entry_start_ms_ = 0;
  bool started_ = false;
  int counter_ = 0;
  int phase_ = 0;
  int colour_index_ = 0;
  bool blink_on_ = false;
  uint32_t blink_ms_ = 0;
};

}  // namespace zt640
