#include "devices/zone_effect_renderer.h"

#include <algorithm>
#include <array>
#include <utility>

#include "devices/host_effects.h"

namespace zt640 {
namespace {

constexpr std::array<uint32_t, HostEffects::kLevelCount> kPeriodMs{28, 23, 18, 13, 7};

int Mod(int value, int limit) { return ((value % limit) + limit) % limit; }

uint8_t Scale(uint8_t level, int value) { return static_cast<uint8_t>(level * std::clamp(value, 0, 255) / 256); }

}  // namespace

ZoneEffectRenderer::ZoneEffectRenderer(EffectClock clock, uint32_t seed)
    : HostEffectRenderer(std::move(clock)), random_(seed) {}

uint32_t ZoneEffectRenderer::PeriodMs(uint8_t speed) { return kPeriodMs[std::min<size_t>(speed, 4)]; }

bool ZoneEffectRenderer::IsSteadyMode(int mode) {
  return mode == static_cast<int>(ZoneLightMode::kStatic) || mode == static_cast<int>(ZoneLightMode::kOff);
}

uint8_t ZoneEffectRenderer::WaveCurve(int step) {
  // Up and back down over 96 steps, drawn from the breathing curve's rise.
  const int half = kWaveSteps / 2;
  const int s = Mod(step, kWaveSteps);
  const int rise = s < half ? s : kWaveSteps - 1 - s;
  const int index = rise * (HostEffects::kBreathingSteps / 2 - 1) / (half - 1);
  return HostEffects::BreathingCurve()[static_cast<size_t>(index)];
}

void ZoneEffectRenderer::FillGroup(size_t group, const ZoneColour& colour, uint8_t brightness) {
  for (size_t zone = group * kZonesPerGroup; zone < (group + 1) * kZonesPerGroup && zone < zones_.size(); ++zone) {
    zones_[zone] = {colour.red, colour.green, colour.blue, brightness};
  }
}

void ZoneEffectRenderer::RenderMode(int mode) {
  switch (mode) {
    case static_cast<int>(ZoneLightMode::kWave): RenderWave(); break;
    case static_cast<int>(ZoneLightMode::kSpectrum): RenderSpectrum(); break;
    case static_cast<int>(ZoneLightMode::kBreathing): RenderBreathing(); break;
    case static_cast<int>(ZoneLightMode::kStatic): RenderStatic(); break;
    case static_cast<int>(ZoneLightMode::kBlink): RenderBlink(); break;
    case static_cast<int>(ZoneLightMode::kReactive): RenderReactive(); break;
    case static_cast<int>(ZoneLightMode::kRing): RenderRing(); break;
    case static_cast<int>(ZoneLightMode::kOff): RenderOff(); break;
    default: RunLightList(); break;
  }
}

void ZoneEffectRenderer::RenderWave() {
  const uint8_t level = StateLevel();
  const bool multicolour = state_.multicolour();
  phase_ = HostEffects::Step(state_.forward(), multicolour ? HostEffects::kWheelSize : kWaveSteps, phase_);
  for (size_t g = 0; g < GroupCount(); ++g) {
    const int offset = kWaveGroupOffset * static_cast<int>(g);
    if (multicolour) {
      FillGroup(g, HostEffects::Wheel(phase_ + offset), level);
    } else {
      FillGroup(g, FixedColour(), Scale(level, WaveCurve(phase_ + offset)));
    }
  }
}

void ZoneEffectRenderer::RenderRing() {
  const size_t groups = GroupCount();
  if (groups == 0) return;
  const uint8_t level = StateLevel();
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  ring_group_ = HostEffects::Step(state_.forward(), static_cast<int>(groups), ring_group_);
  for (size_t g = 0; g < groups; ++g) {
    // The lit group shines fully; the others fade behind it.
    uint8_t ring_level = KeyLevel(g);
    ring_level = static_cast<int>(g) == ring_group_ ? 255 : static_cast<uint8_t>(std::max(0, ring_level - 4 * kFadeStep));
    SetKeyLevel(g, ring_level);
    const ZoneColour colour = state_.multicolour()
                                  ? HostEffects::Wheel(phase_ + kRingGroupOffset * static_cast<int>(g))
                                  : FixedColour();
    FillGroup(g, colour, Scale(level, ring_level));
  }
}

void ZoneEffectRenderer::StartReactive(size_t zone) {
  if (zone >= zones_.size()) return;
  if (reactive_.size() != zones_.size()) reactive_.assign(zones_.size(), Reactive{});
  Reactive& entry = reactive_[zone];
  entry.rising = true;
  entry.colour_index = static_cast<int>(random_() % HostEffects::kWheelSize);
}

void ZoneEffectRenderer::StartReactiveAll() {
  for (size_t zone = 0; zone < zones_.size(); ++zone) StartReactive(zone);
}

void ZoneEffectRenderer::RenderReactive() {
  if (reactive_.size() != zones_.size()) reactive_.assign(zones_.size(), Reactive{});
  const uint8_t level = StateLevel();
  for (size_t zone = 0; zone < zones_.size(); ++zone) {
    Reactive& entry = reactive_[zone];
    if (entry.rising) {
      entry.level = std::min(255, entry.level + kFadeStep);
      if (entry.level == 255) entry.rising = false;
    } else {
      entry.level = std::max(0, entry.level - kFadeStep);
    }
    const ZoneColour colour = state_.multicolour() ? HostEffects::Wheel(entry.colour_index) : FixedColour();
    zones_[zone] = {colour.red, colour.green, colour.blue, Scale(level, entry.level)};
  }
}

void ZoneEffectRenderer::SetLightList(std::vector<EffectFrame> frames) {
  light_list_ = std::move(frames);
  list_entry_ = 0;
  list_started_ = false;
}

void ZoneEffectRenderer::RunLightList() {
  if (light_list_.empty()) {
    RenderOff();
    return;
  }
  const uint32_t now = clock_.NowMilliseconds();
  if (!list_started_) {
    list_started_ = true;
    list_entry_start_ms_ = now;
  }
  if (list_entry_ >= light_list_.size()) list_entry_ = 0;
  const EffectFrame* entry = &light_list_[list_entry_];
  if (now - list_entry_start_ms_ >= static_cast<uint32_t>(std::max(0, entry->time))) {
    list_entry_ = (list_entry_ + 1) % light_list_.size();
    list_entry_start_ms_ = now;
    entry = &light_list_[list_entry_];
  }
  // The entry's own effect runs with the renderer's counters; the state comes back after.
  const LightState kept = state_;
  state_ = LightState::FromEffect(entry->effect);
  const int mode = entry->effect.mode;
  if (mode == static_cast<int>(ZoneLightMode::kWave) || mode == static_cast<int>(ZoneLightMode::kSpectrum) ||
      mode == static_cast<int>(ZoneLightMode::kBreathing) || mode == static_cast<int>(ZoneLightMode::kStatic) ||
      mode == static_cast<int>(ZoneLightMode::kBlink) || mode == static_cast<int>(ZoneLightMode::kRing)) {
    RenderMode(mode);
  } else {
    RenderOff();
  }
  state_ = kept;
}

}  // namespace zt640
