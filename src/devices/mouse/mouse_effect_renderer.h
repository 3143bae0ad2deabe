#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "devices/host_effect_renderer.h"
#include "devices/light_list_player.h"
#include "profiles/light_effect.h"
#include "profiles/mouse_light_mode.h"

namespace zt640 {

/// The mouse's host effects: the modes of MouseLightMode over the mouse's
/// zones, with its own wave, ring and reactive effects, and the light frame
/// list for mode indices past the last mode.
/// Not thread-safe: the owner serialises every call (the lighting lock).
class MouseEffectRenderer : public HostEffectRenderer {
 public:
  /// The zones form this many groups, neighbouring zones together.
  static constexpr int kGroupCount = 7;
  /// Wheel (or wave curve) steps between neighbouring groups of the wave.
  static constexpr int kWaveGroupStep = 7;
  /// Wheel steps between neighbouring groups of the ring.
  static constexpr int kRingGroupStep = 12;
  /// Fade of a reactive zone per frame, in and out.
  static constexpr int kReactiveStep = 15;

  explicit MouseEffectRenderer(EffectClock clock = EffectClock(), uint32_t seed = 0x5EED);

  /// Tick changes between two frames at speed level `speed`, for every mode:
  /// 28, 23, 18, 13, 7 for levels 0-4.
  [[nodiscard]] static int Period(int speed);
  /// The group of `zone` among `zone_count` zones (kGroupCount groups in zone order).
  [[nodiscard]] static int GroupOf(size_t zone, size_t zone_count);

  /// One pass of the lighting worker: the mode renders once the tick changes
  /// counted reach Period; the light frame list counts one pass per
  /// millisecond gone by.
  void RunWorkerPass() override;
  /// The ticks until the speed's period; every tick while the light list runs.
  [[nodiscard]] uint64_t TickChangesUntilDue() const override;
  /// Renders one frame of the mode index `mode` (one list pass past the last mode).
  void RenderMode(int mode);
  void RenderWave();
  void RenderRing();
  void RenderReactive();

  /// The mouse reported a press: every zone starts fading in, with a random
  /// wheel colour when multicolour.
  void StartReactive();
  [[nodiscard]] uint8_t ReactiveLevel(size_t zone) const {
    return zone < reactive_.size() ? reactive_[zone].level : 0;
  }

  /// The light frames played past the last mode.
  void SetLightList(std::vector<EffectFrame> entries) { light_list_.SetEntries(std::move(entries)); }
  [[nodiscard]] const std::vector<EffectFrame>& LightList() const { return light_list_.Entries(); }
  void RunLightList(uint32_t passes);

  /// Also stops every reactive zone.
  void ClearEffectBuffers() override;

 private:
  struct ReactiveZone {
    uint8_t level = 0;
    bool rising = false;
    uint8_t colour_index = 0;
  };

  std::minstd_rand random_;
  std::vector<ReactiveZone> reactive_;
  LightListPlayer light_list_;
};

}  // namespace zt640
