#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "devices/host_effect_renderer.h"
#include "devices/light_list_player.h"
#include "profiles/keyboard_light_mode.h"
#include "profiles/light_effect.h"

namespace zt640 {

/// The keyboard's host effects: the modes of KeyboardLightMode over 170 zones indexed by UI key,
/// the per-zone overlay, the light list, key reactions and the audio modes.
/// Not thread-safe: the owner serialises every call (the lighting lock).
class KeyboardEffectRenderer : public HostEffectRenderer {
 public:
  static constexpr size_t kZoneCount = 170;
  static constexpr size_t kSpectrumValues = 25;
  static constexpr size_t kLevelValues = 6;
  /// Key press codes of KeyEvent.
  static constexpr int kPress = 1;
  static constexpr int kRelease = 2;

  /// How the worker drives a mode: the light list on every pass, or the
  /// mode's renderer once the tick counter reaches the threshold.
  struct Pacing {
    bool light_list = false;
    int threshold = 0;
    bool strictly_above = false;  ///< render only when the counter exceeds the threshold
  };

  explicit KeyboardEffectRenderer(EffectClock clock = EffectClock(), uint32_t seed = 0x5EED);

  /// `mode` is a mode index (KeyboardLightMode); an index naming no mode runs the light list.
  [[nodiscard]] static Pacing ModePacing(int mode, int speed);
  /// The value when it lies on the key order path, else 170.
  [[nodiscard]] static int FindKey(int value);

  /// Renders one frame of `mode` (not the light list modes).
  void RenderMode(int mode);
  /// One pass of the lighting worker at the clock's time. The mode renders
  /// once the count of tick changes reaches its threshold (ModePacing); the
  /// light list and the per-zone overlay count one pass per millisecond gone
  /// by, as a worker waking every millisecond would, however seldom this is
  /// called (at most kMaxPassesPerCall at once, so a stall does not race).
  void RunWorkerPass() override;
  /// The ticks until the mode's threshold; every tick while the light list
  /// or a per-zone record runs, since those move between renders; in
  /// kAudioColour past the threshold with its colour shown, kUntilChanged
  /// (new levels wake the worker).
  [[nodiscard]] uint64_t TickChangesUntilDue() const override;
  /// `passes` passes of the light list (kLightList, kLightListAgain and indices naming no mode).
  void RunLightList(uint32_t passes);
  /// `passes` passes of the per-zone overlay; breathing zones take one step
  /// per tick change (`new_tick`).
  void RunOverlay(uint32_t passes, bool new_tick);

  void RenderBreathing() override;
  void RenderStatic() override;

  /// Clears every effect buffer, then runs the mode's preparation. kCustom's
  /// colours are loaded by the device before it calls this.
  void PrepareMode(int mode);
  void ResetEffects();
  void ScatterColours();
  void SeedColumnNine();
  void StartTwinklePhases();
  void SeedColumnOne();
  void StaggerPhases();

  /// A key of the keyboard went down (kPress) or up (kRelease); keys beyond
  /// the zones are ignored.
  void KeyEvent(unsigned ui_key, int press);
  /// Stores 25 spectrum values for kAudio (fewer are padded with 0); with
  /// KeyboardAudioMode::kBeat the beat rule may start a ripple at key 51.
  void FeedAudioSpectrum(std::span<const int32_t> values);
  /// Stores up to 6 level values; the first three are kAudioColour's colour.
  /// True when the worker sleeps on the colour it showed (kAudioColour, past
  /// the threshold) and the colour changed: it has a frame to render.
  [[nodiscard]] bool FeedAudioLevels(std::span<const int32_t> values);
  void SetAudioLight(const AudioLightSetting& setting) { audio_ = setting; }
  [[nodiscard]] const AudioLightSetting& AudioLight() const { return audio_; }

  /// Per-zone records (one per zone; byte 10 set marks a record in use).
  void SetZoneRecords(std::vector<LightEffect> records);
  /// Light list entries: the effect and its duration in milliseconds.
  void SetLightList(std::vector<EffectFrame> entries);

  [[nodiscard]] uint8_t KeyColourIndex(size_t key) const {
    return key < kZoneCount ? key_colour_[key] : 0;
  }
  [[nodiscard]] uint8_t ReactiveState(size_t key) const {
    return key < kZoneCount ? reactive_[key] : 0;
  }
  [[nodiscard]] uint8_t Ring(int pattern, int column) const {
    return rings_[static_cast<size_t>(pattern)][static_cast<size_t>(column)];
  }
  [[nodiscard]] int ShowStage() const { return show_stage_; }

 private:
  /// The tick counter has reached the mode's threshold.
  [[nodiscard]] bool ThresholdReached(const Pacing& pacing) const;
  /// In kAudioColour: the zones show the current levels' colour in the current state.
  [[nodiscard]] bool AudioColourShown() const;
  using RingPattern = std::array<uint8_t, kRingColumns>;
  enum class RingMove { kUpLeft, kDownLeft, kUpRight, kDownRight, kLeft, kRight, kStay };

  struct ZoneEffectState {
    int phase = 0;
    int colour_index = 0;
    int counter = 0;
    bool on = false;
    uint32_t last_ms = 0;
  };

  // Renderers of the modes (RenderMode maps the modes to them).
  void RenderColumnWave();
  void RenderColumnSweep();
  void RenderPathWave();
  void RenderReactive();
  void RenderRipple();
  void RenderLineRipple();
  void RenderTwinkle();
  void RenderRainbowKeys();
  void RenderRowWave();
  void RenderCentreBounce();
  void RenderShow();
  void RenderTwinklePath(int phase_step);
  void RenderDiagonalFlow();
  void RenderOptionColour();
  void RenderGroupRainbow();
  void RenderCustom();
  void RenderSnake();
  void RenderSweepFrames();
  void RenderAudio();
  void RenderAudioColour();

  // Patterns of kAudio (KeyboardAudioMode).
  void RenderAudioColumns(bool peaks);
  void RenderAudioSplitRows();
  void RenderAudioBeat();
  void RenderAudioGroups();
  void RenderAudioRows(bool wide);
  /// Shows a key outside every bar: fade, then bar colour or background.
  void ShowAudioBackground(unsigned key, int row, int column, const ZoneColour& bar);
  void ShowAudioBar(unsigned key, const ZoneColour& bar);
  [[nodiscard]] ZoneColour AudioBarColour(int colour_index) const;
  [[nodiscard]] ZoneColour AudioBackground() const;

  [[nodiscard]] ZoneColour KeyColour(size_t key) const;
  void ShowKey(size_t key, const ZoneColour& colour, uint8_t brightness);
  /// Every key of the grid at the key's colour, level x key level / 256.
  void ShowKeysByLevel(bool key_order_only);
  [[nodiscard]] uint8_t RandomColourIndex();
  /// Lights the keys under every ring pattern (level 255; a new random colour
  /// index when multicolour).
  void LightRingPatterns(bool new_colour);
  static void MoveRing(RingPattern& pattern, RingMove move);
  void SetRingBit(unsigned key);
  [[nodiscard]] bool RingEmpty(int pattern) const;

  void RunZoneRecord(size_t zone, const LightEffect& record, ZoneEffectState& state, uint32_t passes,
                     bool new_tick);

  std::minstd_rand random_;
  std::array<uint8_t, kZoneCount> key_colour_{};
  std::array<uint8_t, kZoneCount> reactive_{};
  std::array<uint8_t, kZoneCount> key_phase_{};
  std::array<RingPattern, 4> rings_{};
  std::array<bool, kZoneCount> held_{};

  int show_stage_ = 0;
  int show_step_ = 0;
  int snake_position_ = 0;
  bool second_render_ = false;

  AudioLightSetting audio_;
  std::array<int32_t, kSpectrumValues> spectrum_{};
  std::array<int32_t, kLevelValues> levels_{};
  /// What the last kAudioColour render showed: its colour and light state
  /// (all zero before one).
  std::array<int32_t, 3> shown_audio_colour_{};
  std::array<uint8_t, LightState::kSize> shown_audio_state_{};
  int beat_accumulated_ = 0;
  int audio_colour_index_ = 0;
  std::array<int8_t, KeyboardEffectRenderer::kRingColumns> peak_row_{};

  std::vector<LightEffect> zone_records_;
  std::vector<ZoneEffectState> zone_states_;
  LightListPlayer light_list_;
};

}  // namespace zt640
