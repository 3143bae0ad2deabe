#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "devices/effect_clock.h"
#include "devices/light_state.h"
#include "devices/zone_colour.h"
#include "profiles/keyboard_light_mode.h"

namespace zt640 {

/// The host effects every device kind shares, rendered into a list of zone
/// colours from the light state. Nothing is sent from here.
/// Not thread-safe: the owner serialises every call (the device's lighting lock).
class HostEffectRenderer {
 public:
  static constexpr size_t kKeyLevels = 170;
  static constexpr size_t kRingColumns = 23;
  /// The most millisecond passes one worker pass catches up.
  static constexpr uint32_t kMaxPassesPerCall = 100;
  /// The tick counter stops growing here; every threshold lies far below.
  static constexpr uint64_t kMaxTickCount = 1000;

  explicit HostEffectRenderer(EffectClock clock = EffectClock());
  virtual ~HostEffectRenderer() = default;
  HostEffectRenderer(const HostEffectRenderer&) = delete;
  HostEffectRenderer& operator=(const HostEffectRenderer&) = delete;

  virtual void RenderBreathing();
  virtual void RenderBreathingFourColours();
  virtual void RenderStatic();
  void RenderSpectrum();
  void RenderBlink();
  void RenderBlinkFourColours();
  void RenderOff();

  /// Starts the worker's pass counting afresh at the clock's time: the tick
  /// is noted and the tick counter cleared.
  void StartWorkerPasses();
  /// One pass of the lighting worker at the clock's time: each kind counts
  /// tick changes towards its mode's next frame. The base renders nothing.
  virtual void RunWorkerPass() {}
  /// TickChangesUntilDue's answer when no pass can change the zones before
  /// the lighting core reports a change.
  static constexpr uint64_t kUntilChanged = 0;
  /// How many tick changes from now the next pass can first change the zones,
  /// or kUntilChanged: the worker may sleep through the ticks before it, since
  /// a pass counts every tick change gone by. The base asks for every tick.
  [[nodiscard]] virtual uint64_t TickChangesUntilDue() const { return 1; }

  /// Resizes to `count` zones when it differs, then zeroes every zone.
  void SetZoneCount(size_t count);
  [[nodiscard]] size_t ZoneCount() const { return zones_.size(); }
  /// Stores the colour when the index is inside the zone list.
  void SetZoneColour(size_t index, const ZoneColour& colour);
  /// The zone's entry, or all zero outside the list.
  [[nodiscard]] ZoneColour GetZoneColour(size_t index) const;
  [[nodiscard]] const std::vector<ZoneColour>& Zones() const { return zones_; }

  void SetLightState(const LightState& state) { state_ = state; }
  [[nodiscard]] const LightState& GetLightState() const { return state_; }

  /// One fade step of a key level by the table of `mode` (the light list
  /// mode, the audio mode, or any other).
  void FadeKeyLevel(size_t key, KeyboardLightMode mode);
  /// For zones 0-8: a nonzero ring byte lights key level i fully.
  void LightRingKeys();
  /// Rotates the ring by one place: forward moves the last byte to the front.
  void RotateRing(bool forward);
  /// Zeroes the key levels and the ring (and whatever a kind adds).
  virtual void ClearEffectBuffers();

  [[nodiscard]] uint8_t KeyLevel(size_t key) const { return key < kKeyLevels ? key_levels_[key] : 0; }
  void SetKeyLevel(size_t key, uint8_t level) {
    if (key < kKeyLevels) key_levels_[key] = level;
  }
  [[nodiscard]] const EffectClock& Clock() const { return clock_; }
  [[nodiscard]] int Phase() const { return phase_; }
  [[nodiscard]] int ColourIndex() const { return colour_index_; }

 protected:
  /// The state's fixed colour.
  [[nodiscard]] ZoneColour FixedColour() const;
  [[nodiscard]] uint8_t StateLevel() const;
  void FillZones(const ZoneColour& colour, uint8_t brightness);
  /// The blink timer: true when the state flipped on this call.
  bool AdvanceBlink();

  struct PassCount {
    bool new_tick = false;  ///< the tick changed since the last pass (tick_counter_ grew by the changes)
    uint32_t passes = 0;    ///< milliseconds gone by, at most kMaxPassesPerCall
  };
  /// Counts one worker pass at the clock's time.
  PassCount CountPass();
  /// Tick changes still to count before tick_counter_ reaches `due`; at least 1.
  [[nodiscard]] uint64_t TickChangesUntil(int due) const;

  EffectClock clock_;
  LightState state_;
  std::vector<ZoneColour> zones_;
  int phase_ = 0;
  int colour_index_ = 0;
  bool blink_on_ = false;
  uint32_t last_blink_ms_ = 0;
  std::array<uint8_t, kKeyLevels> key_levels_{};
  std::array<uint8_t, kRingColumns> ring_{};
  uint64_t pass_tick_ = 0;
  uint32_t pass_ms_ = 0;
  int tick_counter_ = 0;  ///< tick changes since the mode last rendered
};

}  // namespace zt640
