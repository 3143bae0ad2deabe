#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "devices/host_effect_renderer.h"
#include "profiles/light_effect.h"

namespace zt640 {

/// Mode indices of the devices whose zones the host drives frame by frame
/// (the mouse pad and the headset). Indices naming none of these (5, and
/// above 8) play the light list.
enum class ZoneLightMode : uint8_t {
  kWave = 0,
  kSpectrum = 1,
  kBreathing = 2,
  kStatic = 3,
  kBlink = 4,
  kReactive = 6,
  kRing = 7,
  kOff = 8,
};

/// The host effects of the mouse pad and the headset: the shared effects of
/// every kind plus their own preview renderers (wave, ring, reactive) and the
/// light-list player. Zones form groups of three, in zone order.
/// Not thread-safe: the owner serialises every call (the device's lighting lock).
class ZoneEffectRenderer : public HostEffectRenderer {
 public:
  static constexpr size_t kZonesPerGroup = 3;
  static constexpr int kWaveSteps = 96;
  static constexpr int kWaveGroupOffset = 7;
  static constexpr int kRingGroupOffset = 12;
  static constexpr int kFadeStep = 15;

  explicit ZoneEffectRenderer(EffectClock clock = EffectClock(), uint32_t seed = std::random_device{}());

  /// Milliseconds between two renders at speed level 0-4 (one pass a millisecond:
  /// 28, 23, 18, 13, 7); levels above 4 count as 4.
  [[nodiscard]] static uint32_t PeriodMs(uint8_t speed);
  /// Modes whose picture does not change from one render to the next.
  [[nodiscard]] static bool IsSteadyMode(int mode);

  /// One render of `mode` (a mode index); the light list for an index naming no mode.
  void RenderMode(int mode);
  /// Groups 7 steps apart: wheel colours (multicolour) or the state's colour
  /// along the wave curve.
  void RenderWave();
  /// Each group the wheel colour at its phase (multicolour) or the state's
  /// colour, at its ring brightness; the lit group moves one group per render.
  void RenderRing();
  /// Started zones fade in by 15 to 255, then out by 15 to 0.
  void RenderReactive();
  /// Starts zone `zone` of the reactive effect, with a random wheel colour.
  void StartReactive(size_t zone);
  /// Starts every zone.
  void StartReactiveAll();

  /// The frames the light-list player plays, in order (wrapping).
  void SetLightList(std::vector<EffectFrame> frames);
  /// One pass of the light list: each entry runs with its own effect until its
  /// duration has passed, then the next follows; an empty list renders off.
  void RunLightList();

  /// The 96-step brightness curve of the single-colour wave.
  [[nodiscard]] static uint8_t WaveCurve(int step);

 private:
  struct Reactive {
    int level = 0;
    bool rising = false;
    int colour_index = 0;
  };

  [[nodiscard]] size_t GroupCount() const { return (zones_.size() + kZonesPerGroup - 1) / kZonesPerGroup; }
  void FillGroup(size_t group, const ZoneColour& colour, uint8_t brightness);

  std::mt19937 random_;
  std::vector<Reactive> reactive_;
  int ring_group_ = 0;
  std::vector<EffectFrame> light_list_;
  size_t list_entry_ = 0;
  bool list_started_ = false;
  uint32_t list_entry_start_ms_ = 0;
};

}  // namespace zt640
