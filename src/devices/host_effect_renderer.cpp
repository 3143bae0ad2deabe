#include "devices/host_effect_renderer.h"

#include <algorithm>
#include <utility>

#include "devices/host_effects.h"

namespace zt640 {
namespace {

struct FadeRow {
  uint8_t minimum;
  uint8_t light_list;
  uint8_t audio;
  uint8_t other;
};

// First row whose minimum the level reaches applies.
constexpr std::array<FadeRow, 9> kFadeRows = {{{144, 40, 45, 40},
                                               {128, 40, 40, 40},
                                               {112, 30, 35, 30},
                                               {96, 30, 30, 30},
                                               {80, 30, 25, 30},
                                               {64, 30, 20, 30},
                                               {32, 15, 10, 10},
                                               {17, 8, 5, 8},
                                               {1, 1, 1, 1}}};

}  // namespace

HostEffectRenderer::HostEffectRenderer(EffectClock clock) : clock_(std::move(clock)) {}

ZoneColour HostEffectRenderer::FixedColour() const {
  return {state_.bytes[LightState::kRed], state_.bytes[LightState::kGreen],
          state_.bytes[LightState::kBlue], 0};
}

uint8_t HostEffectRenderer::StateLevel() const { return HostEffects::Level(state_.brightness()); }

void HostEffectRenderer::FillZones(const ZoneColour& colour, uint8_t brightness) {
  for (ZoneColour& zone : zones_) zone = {colour.red, colour.green, colour.blue, brightness};
}

void HostEffectRenderer::RenderBreathing() {
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kBreathingSteps, phase_);
  if (phase_ == 0) {
    colour_index_ += 16;
    if (colour_index_ >= HostEffects::kWheelSize) colour_index_ = 0;
  }
  const ZoneColour colour = state_.multicolour() ? HostEffects::Wheel(colour_index_) : FixedColour();
  const auto brightness = static_cast<uint8_t>(
      HostEffects::BreathingCurve()[static_cast<size_t>(phase_)] * StateLevel() / 256);
  FillZones(colour, brightness);
}

void HostEffectRenderer::RenderBreathingFourColours() {
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kBreathingSteps, phase_);
  if (phase_ == 0) colour_index_ = (colour_index_ + 1) % 4;
  const auto index = static_cast<size_t>(std::clamp(colour_index_, 0, 3));
  const auto brightness = static_cast<uint8_t>(
      HostEffects::BreathingCurve()[static_cast<size_t>(phase_)] * StateLevel() / 256);
  FillZones(HostEffects::FixedColours()[index], brightness);
}

void HostEffectRenderer::RenderStatic() { FillZones(FixedColour(), StateLevel()); }

void HostEffectRenderer::RenderSpectrum() {
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  FillZones(HostEffects::Wheel(phase_), StateLevel());
}

bool HostEffectRenderer::AdvanceBlink() {
  const uint32_t now = clock_.NowMilliseconds();
  const uint32_t period = HostEffects::BlinkPeriodSteps(state_.speed()) * HostEffects::kBlinkStepMs;
  if (now - last_blink_ms_ < period) return false;
  blink_on_ = !blink_on_;
  last_blink_ms_ = now;
  return true;
}

void HostEffectRenderer::RenderBlink() {
  if (AdvanceBlink()) {
    colour_index_ += 16;
    if (colour_index_ >= HostEffects::kWheelSize) colour_index_ = 0;
  }
  if (!blink_on_) {
    FillZones({}, 0);
    return;
  }
  FillZones(state_.multicolour() ? HostEffects::Wheel(colour_index_) : FixedColour(), StateLevel());
}

void HostEffectRenderer::RenderBlinkFourColours() {
  if (AdvanceBlink()) colour_index_ = (colour_index_ + 1) % 4;
  if (!blink_on_) {
    FillZones({}, 0);
    return;
  }
  const auto index = static_cast<size_t>(std::clamp(colour_index_, 0, 3));
  FillZones(HostEffects::FixedColours()[index], StateLevel());
}

void HostEffectRenderer::RenderOff() { FillZones({}, 0); }

void HostEffectRenderer::StartWorkerPasses() {
  pass_tick_ = clock_.Tick();
  pass_ms_ = clock_.NowMilliseconds();
  tick_counter_ = 0;
}

HostEffectRenderer::PassCount HostEffectRenderer::CountPass() {
  PassCount count;
  const uint64_t tick = clock_.Tick();
  if (tick != pass_tick_) {
    // Every change since the last pass counts, so a worker that sleeps
    // through ticks nothing renders on keeps the effect's pace.
    const uint64_t changes = tick - pass_tick_;
    pass_tick_ = tick;
    tick_counter_ = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(tick_counter_) + changes, kMaxTickCount));
    count.new_tick = true;
  }
  const uint32_t now_ms = clock_.NowMilliseconds();
  count.passes = std::min(now_ms - pass_ms_, kMaxPassesPerCall);
  pass_ms_ = now_ms;
  return count;
}

uint64_t HostEffectRenderer::TickChangesUntil(int due) const {
  return due > tick_counter_ ? static_cast<uint64_t>(due - tick_counter_) : 1;
}

void HostEffectRenderer::SetZoneCount(size_t count) {
  if (count != zones_.size()) zones_.resize(count);
  std::fill(zones_.begin(), zones_.end(), ZoneColour{});
}

void HostEffectRenderer::SetZoneColour(size_t index, const ZoneColour& colour) {
  if (index < zones_.size()) zones_[index] = colour;
}

ZoneColour HostEffectRenderer::GetZoneColour(size_t index) const {
  return index < zones_.size() ? zones_[index] : ZoneColour{};
}

void HostEffectRenderer::FadeKeyLevel(size_t key, KeyboardLightMode mode) {
  if (key >= kKeyLevels) return;
  uint8_t& level = key_levels_[key];
  for (const FadeRow& row : kFadeRows) {
    if (level < row.minimum) continue;
    const uint8_t step = mode == KeyboardLightMode::kLightList ? row.light_list
                         : mode == KeyboardLightMode::kAudio   ? row.audio
                                                               : row.other;
    level = static_cast<uint8_t>(level > step ? level - step : 0);
    return;
  }
}

void HostEffectRenderer::LightRingKeys() {
  for (size_t i = 0; i < 9; ++i) {
    if (ring_[i] != 0) key_levels_[i] = 255;
  }
}

void HostEffectRenderer::RotateRing(bool forward) {
  if (forward) {
    std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
  } else {
    std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
  }
}

void HostEffectRenderer::ClearEffectBuffers() {
  key_levels_.fill(0);
  ring_.fill(0);
}

}  // namespace zt640
