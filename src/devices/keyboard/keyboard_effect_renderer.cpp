#include "devices/keyboard/keyboard_effect_renderer.h"

#include <algorithm>
#include <utility>

#include "devices/host_effects.h"
#include "devices/keyboard/keyboard_effect_tables.h"

namespace zt640 {
namespace {

using Tables = KeyboardEffectTables;
using Mode = KeyboardLightMode;
constexpr uint8_t kNoKey = Tables::kNoKey;
/// Reactive state of a key.
constexpr uint8_t kIdle = 0;
constexpr uint8_t kHeld = 1;
constexpr uint8_t kReleased = 2;

uint8_t Scale(uint8_t level, unsigned factor) { return static_cast<uint8_t>(level * factor / 256); }

int Mod(int value, int limit) { return ((value % limit) + limit) % limit; }

}  // namespace

KeyboardEffectRenderer::KeyboardEffectRenderer(EffectClock clock, uint32_t seed)
    : HostEffectRenderer(std::move(clock)), random_(seed == 0 ? 1 : seed) {
  SetZoneCount(kZoneCount);
  peak_row_.fill(Tables::kRows);
}

KeyboardEffectRenderer::Pacing KeyboardEffectRenderer::ModePacing(int mode, int speed) {
  const int s = std::clamp(speed, 0, 4);
  if (mode < 0 || mode >= kKeyboardLightModeCount) return {true, 0, false};
  switch (ToKeyboardLightMode(mode)) {
    case Mode::kLightList:
    case Mode::kLightListAgain:
      return {true, 0, false};
    case Mode::kTwinklePath:
    case Mode::kOptionColour:
      return {false, s == 4 ? 0 : 4, false};
    case Mode::kAudio:
      return {false, 1, true};
    default:
      return {false, 5 - s, false};
  }
}

void KeyboardEffectRenderer::RunWorkerPass() {
  const auto [new_tick, passes] = CountPass();
  const int mode = state_.mode();
  const Pacing pacing = ModePacing(mode, state_.speed());
  if (pacing.light_list) {
    RunLightList(passes);
  } else if (ThresholdReached(pacing) && !AudioColourShown()) {
    // A render of kAudioColour that would repeat the colour on show is left
    // out; the count stays reached, so new levels render at once.
    RenderMode(mode);
    tick_counter_ = 0;
  }
  RunOverlay(passes, new_tick);
}

uint64_t KeyboardEffectRenderer::TickChangesUntilDue() const {
  const Pacing pacing = ModePacing(state_.mode(), state_.speed());
  const bool overlay = std::any_of(zone_records_.begin(), zone_records_.end(),
                                   [](const LightEffect& record) { return record.present != 0; });
  if (pacing.light_list || overlay) return 1;
  if (ThresholdReached(pacing)) return AudioColourShown() ? kUntilChanged : 1;
  return TickChangesUntil(pacing.strictly_above ? pacing.threshold + 1 : pacing.threshold);
}

bool KeyboardEffectRenderer::ThresholdReached(const Pacing& pacing) const {
  return pacing.strictly_above ? tick_counter_ > pacing.threshold : tick_counter_ >= pacing.threshold;
}

bool KeyboardEffectRenderer::AudioColourShown() const {
  // The state recorded by a render holds mode 30 only after one was shown.
  return state_.mode() == static_cast<int>(Mode::kAudioColour) && shown_audio_state_ == state_.bytes &&
         std::equal(shown_audio_colour_.begin(), shown_audio_colour_.end(), levels_.begin());
}

int KeyboardEffectRenderer::FindKey(int value) {
  return value >= 0 && Tables::InKeyOrder(static_cast<unsigned>(value)) ? value : kNoKey;
}

ZoneColour KeyboardEffectRenderer::KeyColour(size_t key) const {
  return state_.multicolour() ? HostEffects::Wheel(key_colour_[key]) : FixedColour();
}

void KeyboardEffectRenderer::ShowKey(size_t key, const ZoneColour& colour, uint8_t brightness) {
  if (key < zones_.size()) zones_[key] = {colour.red, colour.green, colour.blue, brightness};
}

void KeyboardEffectRenderer::ShowKeysByLevel(bool key_order_only) {
  const uint8_t level = StateLevel();
  if (key_order_only) {
    for (uint8_t key : Tables::KeyOrder()) ShowKey(key, KeyColour(key), Scale(level, key_levels_[key]));
    return;
  }
  for (const auto& column : Tables::Grid()) {
    for (uint8_t key : column) {
      if (key != kNoKey) ShowKey(key, KeyColour(key), Scale(level, key_levels_[key]));
    }
  }
}

uint8_t KeyboardEffectRenderer::RandomColourIndex() {
  return static_cast<uint8_t>(random_() % HostEffects::kWheelSize);
}

void KeyboardEffectRenderer::RenderMode(int mode) {
  switch (ToKeyboardLightMode(mode)) {
    case Mode::kColumnWave: RenderColumnWave(); break;
    case Mode::kColumnSweep: RenderColumnSweep(); break;
    case Mode::kPathWave: RenderPathWave(); break;
    case Mode::kSpectrum: RenderSpectrum(); break;
    case Mode::kBreathing: RenderBreathing(); break;
    case Mode::kStatic: RenderStatic(); break;
    case Mode::kReactive: RenderReactive(); break;
    case Mode::kRipple: RenderRipple(); break;
    case Mode::kLineRipple: RenderLineRipple(); break;
    case Mode::kTwinkle: RenderTwinkle(); break;
    case Mode::kRainbowKeys: RenderRainbowKeys(); break;
    case Mode::kRowWave: RenderRowWave(); break;
    case Mode::kCentreBounce: RenderCentreBounce(); break;
    case Mode::kShow: RenderShow(); break;
    case Mode::kTwinklePath: RenderTwinklePath(2); break;
    case Mode::kDiagonalFlow: RenderDiagonalFlow(); break;
    case Mode::kOptionColour: RenderOptionColour(); break;
    case Mode::kGroupRainbow: RenderGroupRainbow(); break;
    case Mode::kCustom: RenderCustom(); break;
    case Mode::kSnake: RenderSnake(); break;
    case Mode::kStaggeredBreath: RenderTwinklePath(1); break;
    case Mode::kBlink: RenderBlink(); break;
    case Mode::kSweepFrames: RenderSweepFrames(); break;
    case Mode::kReactiveRipple: RenderReactive(); break;
    case Mode::kBreathingFourColours: RenderBreathingFourColours(); break;
    case Mode::kBlinkFourColours: RenderBlinkFourColours(); break;
    case Mode::kOff: RenderOff(); break;
    case Mode::kAudio: RenderAudio(); break;
    case Mode::kAudioColour: RenderAudioColour(); break;
    default: RunLightList(1); break;
  }
}

void KeyboardEffectRenderer::RenderColumnWave() {
  const uint8_t level = StateLevel();
  const bool multicolour = state_.multicolour();
  phase_ = HostEffects::Step(state_.forward(), multicolour ? HostEffects::kWheelSize : 96, phase_);
  for (int c = 0; c < Tables::kColumns; ++c) {
    ZoneColour colour = FixedColour();
    uint8_t brightness = level;
    if (multicolour) {
      colour = HostEffects::Wheel(phase_ + 1 + 7 * c);
    } else {
      brightness = Scale(level, HostEffects::WaveCurve()[static_cast<size_t>(Mod(phase_ + 1 + 7 * c, 96))]);
    }
    for (uint8_t key : Tables::Grid()[static_cast<size_t>(c)]) {
      if (key != kNoKey) ShowKey(key, colour, brightness);
    }
  }
}

void KeyboardEffectRenderer::RenderColumnSweep() {
  const uint8_t level = StateLevel();
  const bool multicolour = state_.multicolour();
  phase_ = HostEffects::Step(state_.forward(), multicolour ? HostEffects::kWheelSize : 96, phase_);
  for (int c = 0; c < Tables::kColumns; ++c) {
    ZoneColour colour = FixedColour();
    uint8_t brightness = level;
    if (multicolour) {
      colour = HostEffects::Wheel(phase_ + 2 * c);
    } else {
      brightness = Scale(level, Tables::SweepCurve()[static_cast<size_t>(Mod(phase_ + c, 96))]);
    }
    for (uint8_t key : Tables::Grid()[static_cast<size_t>(c)]) {
      if (key != kNoKey) ShowKey(key, colour, brightness);
    }
  }
}

void KeyboardEffectRenderer::RenderPathWave() {
  const uint8_t level = StateLevel();
  const bool multicolour = state_.multicolour();
  phase_ = HostEffects::Step(state_.forward(), multicolour ? HostEffects::kWheelSize : 96, phase_);
  const auto order = Tables::KeyOrder();
  for (size_t i = 0; i < order.size(); ++i) {
    const int offset = phase_ + 5 * static_cast<int>(i);
    if (multicolour) {
      ShowKey(order[i], HostEffects::Wheel(offset), level);
    } else {
      ShowKey(order[i], FixedColour(),
              Scale(level, HostEffects::WaveCurve()[static_cast<size_t>(Mod(offset, 96))]));
    }
  }
}

void KeyboardEffectRenderer::RenderBreathing() {
  phase_ = (phase_ + 1) % HostEffects::kBreathingSteps;
  const uint8_t brightness =
      Scale(StateLevel(), HostEffects::BreathingCurve()[static_cast<size_t>(phase_)]);
  for (int c = 0; c < Tables::kColumns; ++c) {
    const ZoneColour colour = state_.multicolour() ? HostEffects::Wheel(7 * c) : FixedColour();
    for (uint8_t key : Tables::Grid()[static_cast<size_t>(c)]) {
      if (key != kNoKey) ShowKey(key, colour, brightness);
    }
  }
}

void KeyboardEffectRenderer::RenderStatic() {
  const uint8_t level = StateLevel();
  if (!state_.multicolour()) {
    FillZones(FixedColour(), level);
    return;
  }
  for (int g = 0; g < Tables::kKeyGroupCount; ++g) {
    const ZoneColour colour = HostEffects::Wheel(138 - 12 * g);
    for (uint8_t key : Tables::KeyGroup(g)) {
      if (FindKey(key) != kNoKey) ShowKey(key, colour, level);
    }
  }
}

void KeyboardEffectRenderer::RenderReactive() {
  for (size_t key = 0; key < kZoneCount; ++key) {
    if (reactive_[key] == kHeld) {
      key_levels_[key] = static_cast<uint8_t>(std::min(255, key_levels_[key] + 15));
    } else if (reactive_[key] == kReleased) {
      key_levels_[key] = static_cast<uint8_t>(key_levels_[key] > 5 ? key_levels_[key] - 5 : 0);
      if (key_levels_[key] == 0) reactive_[key] = kIdle;
    }
  }
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::LightRingPatterns(bool new_colour) {
  const auto& grid = Tables::Grid();
  for (const RingPattern& pattern : rings_) {
    for (int c = 0; c < Tables::kColumns; ++c) {
      const uint8_t bits = pattern[static_cast<size_t>(c)];
      if (bits == 0) continue;
      for (int r = 0; r < Tables::kRows; ++r) {
        if ((bits & (1u << r)) == 0) continue;
        const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
        if (key == kNoKey) continue;
        key_levels_[key] = 255;
        if (new_colour && state_.multicolour()) key_colour_[key] = RandomColourIndex();
      }
    }
  }
}

void KeyboardEffectRenderer::MoveRing(RingPattern& pattern, RingMove move) {
  RingPattern moved{};
  const int columns = static_cast<int>(pattern.size());
  for (int c = 0; c < columns; ++c) {
    const unsigned bits = pattern[static_cast<size_t>(c)];
    if (bits == 0) continue;
    int target = c;
    unsigned shifted = bits;
    switch (move) {
      case RingMove::kUpLeft: target = c - 1; shifted = bits >> 1; break;
      case RingMove::kDownLeft: target = c - 1; shifted = (bits << 1) & 0x7F; break;
      case RingMove::kUpRight: target = c + 1; shifted = bits >> 1; break;
      case RingMove::kDownRight: target = c + 1; shifted = (bits << 1) & 0x7F; break;
      case RingMove::kLeft: target = c - 1; break;
      case RingMove::kRight: target = c + 1; break;
      case RingMove::kStay: break;
    }
    if (target >= 0 && target < columns) {
      moved[static_cast<size_t>(target)] |= static_cast<uint8_t>(shifted);
    }
  }
  pattern = moved;
}

void KeyboardEffectRenderer::SetRingBit(unsigned key) {
  int column = 0;
  int row = 0;
  if (!Tables::GridPosition(key, &column, &row)) return;
  for (RingPattern& pattern : rings_) pattern[static_cast<size_t>(column)] |= static_cast<uint8_t>(1u << row);
}

bool KeyboardEffectRenderer::RingEmpty(int pattern) const {
  const RingPattern& ring = rings_[static_cast<size_t>(pattern)];
  return std::all_of(ring.begin(), ring.end(), [](uint8_t bits) { return bits == 0; });
}

void KeyboardEffectRenderer::RenderRipple() {
  LightRingPatterns(true);
  MoveRing(rings_[0], RingMove::kUpLeft);
  MoveRing(rings_[1], RingMove::kDownLeft);
  MoveRing(rings_[2], RingMove::kUpRight);
  MoveRing(rings_[3], RingMove::kDownRight);
  for (size_t key = 0; key < kZoneCount; ++key) {
    FadeKeyLevel(key, Mode::kRipple);
    key_colour_[key] = static_cast<uint8_t>((key_colour_[key] + 7) % HostEffects::kWheelSize);
  }
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::RenderLineRipple() {
  LightRingPatterns(true);
  MoveRing(rings_[0], RingMove::kLeft);
  MoveRing(rings_[1], RingMove::kRight);
  rings_[2].fill(0);
  rings_[3].fill(0);
  for (size_t key = 0; key < kZoneCount; ++key) FadeKeyLevel(key, Mode::kLineRipple);
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::RenderTwinkle() {
  const auto order = Tables::KeyOrder();
  for (int i = 0; i < 6; ++i) {
    const uint8_t key = order[random_() % order.size()];
    key_levels_[key] = 255;
    key_colour_[key] = RandomColourIndex();
  }
  for (size_t key = 0; key < kZoneCount; ++key) FadeKeyLevel(key, Mode::kTwinkle);
  ShowKeysByLevel(true);
}

void KeyboardEffectRenderer::RenderRainbowKeys() {
  const uint8_t level = StateLevel();
  for (size_t key = 0; key < kZoneCount; ++key) {
    key_colour_[key] = static_cast<uint8_t>((key_colour_[key] + 1) % HostEffects::kWheelSize);
    ShowKey(key, HostEffects::Wheel(key_colour_[key]), level);
  }
}

void KeyboardEffectRenderer::RenderRowWave() {
  const uint8_t level = StateLevel();
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  const auto& grid = Tables::Grid();
  for (int r = 0; r < Tables::kRows; ++r) {
    const ZoneColour colour = HostEffects::Wheel(phase_ + 1 + 24 * r);
    for (int c = 0; c < Tables::kColumns; ++c) {
      const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if (key != kNoKey) ShowKey(key, colour, level);
    }
  }
}

void KeyboardEffectRenderer::RenderCentreBounce() {
  second_render_ = !second_render_;
  if (second_render_) {
    LightRingPatterns(true);
    // Patterns 0 and 1 rise from below the grid, 2 and 3 fall from the top;
    // when one pair has left the grid the other pair is seeded at column 9.
    MoveRing(rings_[0], RingMove::kUpLeft);
    MoveRing(rings_[1], RingMove::kUpRight);
    MoveRing(rings_[2], RingMove::kDownLeft);
    MoveRing(rings_[3], RingMove::kDownRight);
    const bool rising_gone = RingEmpty(0) && RingEmpty(1);
    const bool falling_gone = RingEmpty(2) && RingEmpty(3);
    if (rising_gone && falling_gone) SeedColumnNine();
  }
  for (size_t key = 0; key < kZoneCount; ++key) FadeKeyLevel(key, Mode::kCentreBounce);
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::RenderShow() {
  const auto light = [this](unsigned key) {
    if (key >= kZoneCount) return;
    key_levels_[key] = 255;
    if (state_.multicolour()) key_colour_[key] = RandomColourIndex();
  };
  switch (show_stage_) {
    case 0:
      for (uint8_t key : Tables::ShowRows()[static_cast<size_t>(show_step_)]) light(key);
      if (++show_step_ >= Tables::kShowRows) {
        show_stage_ = 1;
        show_step_ = 0;
      }
      break;
    case 1:
      if (show_step_ <= 30) {
        for (uint8_t key : Tables::ShowPairs()[static_cast<size_t>(show_step_ % Tables::kShowPairs)]) light(key);
        ++show_step_;
      } else if (key_levels_[72] == 0) {
        show_stage_ = 2;
        show_step_ = 0;
      }
      break;
    case 2: {
      // A vertical line through key 50's column that sweeps out both ways.
      for (RingPattern& pattern : rings_) pattern.fill(0);
      int column = 0;
      int row = 0;
      if (Tables::GridPosition(50, &column, &row)) {
        rings_[0][static_cast<size_t>(column)] = 0x3F;
        rings_[1][static_cast<size_t>(column)] = 0x3F;
      }
      show_stage_ = 3;
      break;
    }
    case 3:
      LightRingPatterns(true);
      MoveRing(rings_[0], RingMove::kLeft);
      MoveRing(rings_[1], RingMove::kRight);
      if (key_levels_[124] != 0 || (RingEmpty(0) && RingEmpty(1))) show_stage_ = 4;
      break;
    default:
      if (key_levels_[124] == 0) {
        show_stage_ = 0;
        show_step_ = 0;
      }
      break;
  }
  for (size_t key = 0; key < kZoneCount; ++key) FadeKeyLevel(key, Mode::kShow);
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::RenderTwinklePath(int phase_step) {
  const uint8_t level = StateLevel();
  for (uint8_t key : Tables::KeyOrder()) {
    int phase = key_phase_[key] + phase_step;
    if (phase >= HostEffects::kWheelSize) {
      phase = 0;
      key_colour_[key] = RandomColourIndex();
    }
    key_phase_[key] = static_cast<uint8_t>(phase);
    ShowKey(key, KeyColour(key), Scale(level, Tables::TwinkleCurve()[static_cast<size_t>(phase)]));
  }
}

void KeyboardEffectRenderer::RenderDiagonalFlow() {
  LightRingPatterns(true);
  // The front runs down-right; leaving the bottom it re-enters at the top of
  // the next column, so one diagonal line flows across the whole keyboard.
  RingPattern moved{};
  for (size_t c = 0; c + 1 < kRingColumns; ++c) {
    const unsigned bits = rings_[0][c];
    unsigned shifted = bits << 1;
    if ((shifted & 0x80u) != 0) shifted = (shifted & 0x7Fu) | 0x01u;
    moved[c + 1] |= static_cast<uint8_t>(shifted & 0x7F);
  }
  rings_[0] = moved;
  if (RingEmpty(0)) SeedColumnOne();
  for (size_t key = 0; key < kZoneCount; ++key) FadeKeyLevel(key, Mode::kDiagonalFlow);
  ShowKeysByLevel(false);
}

void KeyboardEffectRenderer::RenderOptionColour() {
  int index = 174;
  switch (state_.bytes[LightState::kModeOption]) {
    case 1: index = 25; break;
    case 2: index = 70; break;
    case 3: index = 95; break;
    default: break;
  }
  FillZones(HostEffects::Wheel(index), StateLevel());
}

void KeyboardEffectRenderer::RenderGroupRainbow() {
  const uint8_t level = StateLevel();
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  for (int g = 0; g < Tables::kKeyGroupCount; ++g) {
    const ZoneColour colour = HostEffects::Wheel(phase_ + 7 * (g + 1));
    for (uint8_t key : Tables::KeyGroup(g)) {
      if (FindKey(key) != kNoKey) ShowKey(key, colour, level);
    }
  }
}

void KeyboardEffectRenderer::RenderCustom() {
  const uint8_t level = StateLevel();
  for (ZoneColour& zone : zones_) zone.brightness = level;
}

void KeyboardEffectRenderer::RenderSnake() {
  const int length = Tables::kSnakeLength;
  if (state_.forward()) {
    snake_position_ = snake_position_ + 1 > length - 2 ? 0 : snake_position_ + 1;
  } else {
    snake_position_ = snake_position_ - 1 < 1 ? length - 1 : snake_position_ - 1;
  }
  const uint8_t key = Tables::SnakePath()[static_cast<size_t>(snake_position_)];
  if (key != kNoKey) key_levels_[key] = 254;
  for (uint8_t k : Tables::KeyOrder()) FadeKeyLevel(k, Mode::kSnake);
  ShowKeysByLevel(true);
}

void KeyboardEffectRenderer::RenderSweepFrames() {
  phase_ = HostEffects::Step(state_.forward(), Tables::kSweepFrameCount, phase_);
  for (uint8_t key : Tables::SweepFrames()[static_cast<size_t>(phase_)]) {
    if (key >= kZoneCount) continue;
    key_levels_[key] = 255;
    key_colour_[key] = 0;
  }
  for (size_t key = 0; key < kZoneCount; ++key) {
    key_levels_[key] = static_cast<uint8_t>(key_levels_[key] > 5 ? key_levels_[key] - 5 : 0);
    key_colour_[key] = static_cast<uint8_t>(std::min(255, key_colour_[key] + 3));
  }
  const uint8_t level = StateLevel();
  for (const auto& column : Tables::Grid()) {
    for (uint8_t key : column) {
      if (key == kNoKey) continue;
      // Multicolour shows every key at the level in the colour of its age, so
      // the hand drags a rainbow round the keyboard. An index past the wheel's
      // end (a key the hand has not reached for a long while) keeps turning
      // round the wheel until it stops at 255.
      if (state_.multicolour()) {
        ShowKey(key, HostEffects::Wheel(key_colour_[key]), level);
      } else {
        ShowKey(key, FixedColour(), Scale(level, key_levels_[key]));
      }
    }
  }
}

void KeyboardEffectRenderer::RenderAudioColour() {
  const ZoneColour colour{static_cast<uint8_t>(std::clamp(levels_[0], 0, 255)),
                          static_cast<uint8_t>(std::clamp(levels_[1], 0, 255)),
                          static_cast<uint8_t>(std::clamp(levels_[2], 0, 255)), 0};
  FillZones(colour, StateLevel());
  shown_audio_state_ = state_.bytes;
  std::copy_n(levels_.begin(), shown_audio_colour_.size(), shown_audio_colour_.begin());
}

void KeyboardEffectRenderer::PrepareMode(int mode) {
  ResetEffects();
  switch (ToKeyboardLightMode(mode)) {
    case Mode::kCentreBounce: SeedColumnNine(); break;
    case Mode::kTwinklePath: StartTwinklePhases(); break;
    case Mode::kDiagonalFlow: SeedColumnOne(); break;
    case Mode::kStaggeredBreath: StaggerPhases(); break;
    default: ScatterColours(); break;
  }
}

void KeyboardEffectRenderer::ResetEffects() {
  phase_ = 0;
  colour_index_ = 0;
  key_colour_.fill(0);
  blink_on_ = false;
  ClearEffectBuffers();
  reactive_.fill(0);
  key_phase_.fill(0);
  held_.fill(false);
  for (RingPattern& pattern : rings_) pattern.fill(0);
  show_stage_ = 0;
  show_step_ = 0;
  snake_position_ = 0;
  second_render_ = false;
  spectrum_.fill(0);
  levels_.fill(0);
  shown_audio_state_.fill(0);
  beat_accumulated_ = 0;
  audio_colour_index_ = 0;
  peak_row_.fill(Tables::kRows);
}

void KeyboardEffectRenderer::ScatterColours() {
  for (size_t key = 0; key < kZoneCount; ++key) {
    key_colour_[key] = static_cast<uint8_t>(33 * (key + 1) % HostEffects::kWheelSize);
  }
}

void KeyboardEffectRenderer::SeedColumnNine() {
  rings_[0][9] = 0x40;
  rings_[1][9] = 0x40;
  rings_[2][9] = 0x01;
  rings_[3][9] = 0x01;
}

void KeyboardEffectRenderer::StartTwinklePhases() {
  const auto& grid = Tables::Grid();
  const auto& layout = Tables::TwinkleLayout();
  for (size_t c = 0; c < grid.size(); ++c) {
    for (size_t r = 0; r < grid[c].size(); ++r) {
      const uint8_t key = grid[c][r];
      if (key == kNoKey) continue;
      key_phase_[key] = layout[r][c];
      key_colour_[key] = static_cast<uint8_t>(7 * c);
    }
  }
}

void KeyboardEffectRenderer::SeedColumnOne() { rings_[0][1] = 0x01; }

void KeyboardEffectRenderer::StaggerPhases() {
  const auto& grid = Tables::Grid();
  for (size_t c = 0; c < grid.size(); ++c) {
    for (size_t r = 0; r < grid[c].size(); ++r) {
      const uint8_t key = grid[c][r];
      if (key == kNoKey) continue;
      key_phase_[key] = static_cast<uint8_t>(Mod(192 - 8 * static_cast<int>(c) - 35 * static_cast<int>(r), 192));
      key_colour_[key] = static_cast<uint8_t>(7 * c);
    }
  }
}

void KeyboardEffectRenderer::KeyEvent(unsigned ui_key, int press) {
  if (ui_key >= kZoneCount || (press != kPress && press != kRelease)) return;
  switch (ToKeyboardLightMode(state_.mode())) {
    case Mode::kReactive:
      // Press and release alike light the key fully in a new colour; the
      // state then decides whether it holds (pressed) or fades (released).
      reactive_[ui_key] = press == kPress ? kHeld : kReleased;
      key_levels_[ui_key] = 255;
      key_colour_[ui_key] = RandomColourIndex();
      break;
    case Mode::kRipple:
    case Mode::kLineRipple:
      if (press == kPress) SetRingBit(ui_key);
      break;
    case Mode::kReactiveRipple: {
      int column = 0;
      int row = 0;
      const bool on_grid = Tables::GridPosition(ui_key, &column, &row);
      const auto& grid = Tables::Grid();
      if (press == kPress) {
        held_[ui_key] = true;
        reactive_[ui_key] = kHeld;
        key_levels_[ui_key] = 255;
        if (!on_grid) break;
        for (int dc = -2; dc <= 2; ++dc) {
          for (int dr = -2; dr <= 2; ++dr) {
            const int c = column + dc;
            const int r = row + dr;
            if ((dc == 0 && dr == 0) || c < 0 || c >= Tables::kColumns || r < 0 || r >= Tables::kRows) continue;
            const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (key == kNoKey) continue;
            reactive_[key] = kHeld;
            key_levels_[key] = static_cast<uint8_t>(std::min(255, key_levels_[key] + 60));
          }
        }
        break;
      }
      held_[ui_key] = false;
      reactive_[ui_key] = kReleased;
      if (!on_grid) break;
      for (int dc = -2; dc <= 2; ++dc) {
        for (int dr = -2; dr <= 2; ++dr) {
          const int c = column + dc;
          const int r = row + dr;
          if ((dc == 0 && dr == 0) || c < 0 || c >= Tables::kColumns || r < 0 || r >= Tables::kRows) continue;
          const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
          if (key == kNoKey || held_[key]) continue;
          // A neighbour stays lit while another held key has it within reach.
          bool kept = false;
          for (size_t other = 0; other < kZoneCount && !kept; ++other) {
            int oc = 0;
            int orow = 0;
            if (!held_[other] || !Tables::GridPosition(static_cast<unsigned>(other), &oc, &orow)) continue;
            kept = std::abs(oc - c) <= 2 && std::abs(orow - r) <= 2;
          }
          if (kept) continue;
          const int drop = (std::abs(dc) <= 1 && std::abs(dr) <= 1) ? 15 : 90;
          key_levels_[key] = static_cast<uint8_t>(std::max(0, key_levels_[key] - drop));
          reactive_[key] = kReleased;
        }
      }
      break;
    }
    default:
      break;
  }
}

bool KeyboardEffectRenderer::FeedAudioLevels(std::span<const int32_t> values) {
  const bool waiting = AudioColourShown() && ThresholdReached(ModePacing(state_.mode(), state_.speed()));
  const size_t count = std::min(values.size(), kLevelValues);
  std::copy_n(values.begin(), count, levels_.begin());
  // Only a worker that sleeps on the colour it showed needs waking: before the
  // threshold it wakes by itself and renders whatever came meanwhile.
  return waiting && !AudioColourShown();
}

}  // namespace zt640
