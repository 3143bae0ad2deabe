#include "devices/mouse/mouse_effect_renderer.h"

#include <algorithm>
#include <utility>

#include "devices/host_effects.h"

namespace zt640 {
namespace {

using Mode = MouseLightMode;
/// The ring's groups fade by the steps every mode but the light list and
/// the audio modes uses.
constexpr KeyboardLightMode kRingFade = KeyboardLightMode::kOff;

uint8_t Scale(uint8_t level, unsigned factor) { return static_cast<uint8_t>(level * factor / 256); }

}  // namespace

MouseEffectRenderer::MouseEffectRenderer(EffectClock clock, uint32_t seed)
    : HostEffectRenderer(std::move(clock)), random_(seed == 0 ? 1 : seed) {}

int MouseEffectRenderer::Period(int speed) {
  return static_cast<int>(HostEffects::BlinkPeriodSteps(static_cast<uint8_t>(std::clamp(speed, 0, 4))));
}

int MouseEffectRenderer::GroupOf(size_t zone, size_t zone_count) {
  if (zone_count == 0) return 0;
  return static_cast<int>(zone * kGroupCount / zone_count);
}

void MouseEffectRenderer::RunWorkerPass() {
  const PassCount count = CountPass();
  const int mode = state_.mode();
  if (mode >= kMouseLightModeCount) {
    RunLightList(count.passes);
    return;
  }
  if (tick_counter_ >= Period(state_.speed())) {
    RenderMode(mode);
    tick_counter_ = 0;
  }
}

uint64_t MouseEffectRenderer::TickChangesUntilDue() const {
  if (state_.mode() >= kMouseLightModeCount) return 1;
  return TickChangesUntil(Period(state_.speed()));
}

void MouseEffectRenderer::RenderMode(int mode) {
  if (mode < 0 || mode >= kMouseLightModeCount) {
    RunLightList(1);
    return;
  }
  switch (static_cast<Mode>(mode)) {
    case Mode::kWave: RenderWave(); break;
    case Mode::kSpectrum: RenderSpectrum(); break;
    case Mode::kBreathing: RenderBreathing(); break;
    case Mode::kStatic: RenderStatic(); break;
    case Mode::kBlink: RenderBlink(); break;
    case Mode::kRing: RenderRing(); break;
    case Mode::kReactive: RenderReactive(); break;
    case Mode::kBreathingFourColours: RenderBreathingFourColours(); break;
    case Mode::kBlinkFourColours: RenderBlinkFourColours(); break;
    case Mode::kOff: RenderOff(); break;
  }
}

void MouseEffectRenderer::RenderWave() {
  const bool multicolour = state_.multicolour();
  phase_ = HostEffects::Step(state_.forward(), multicolour ? HostEffects::kWheelSize : HostEffects::kWaveSteps, phase_);
  const uint8_t level = StateLevel();
  for (size_t zone = 0; zone < zones_.size(); ++zone) {
    const int offset = phase_ + kWaveGroupStep * GroupOf(zone, zones_.size());
    if (multicolour) {
      const ZoneColour colour = HostEffects::Wheel(offset);
      zones_[zone] = {colour.red, colour.green, colour.blue, level};
    } else {
      const ZoneColour colour = FixedColour();
      zones_[zone] = {colour.red, colour.green, colour.blue,
                      Scale(level, HostEffects::WaveCurve()[static_cast<size_t>(offset % HostEffects::kWaveSteps)])};
    }
  }
}

void MouseEffectRenderer::RenderRing() {
  // One lit place travels round the ring; each group it passes lights fully
  // and then fades.
  if (std::all_of(ring_.begin(), ring_.end(), [](uint8_t b) { return b == 0; })) ring_[0] = 1;
  RotateRing(state_.forward());
  LightRingKeys();
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  const uint8_t level = StateLevel();
  for (size_t zone = 0; zone < zones_.size(); ++zone) {
    const int group = GroupOf(zone, zones_.size());
    const ZoneColour colour =
        state_.multicolour() ? HostEffects::Wheel(phase_ + kRingGroupStep * group) : FixedColour();
    zones_[zone] = {colour.red, colour.green, colour.blue, Scale(level, key_levels_[static_cast<size_t>(group)])};
  }
  for (int group = 0; group < kGroupCount; ++group) FadeKeyLevel(static_cast<size_t>(group), kRingFade);
}

void MouseEffectRenderer::StartReactive() {
  reactive_.resize(zones_.size());
  for (ReactiveZone& zone : reactive_) {
    zone.rising = true;
    zone.colour_index = static_cast<uint8_t>(random_() % HostEffects::kWheelSize);
  }
}

void MouseEffectRenderer::RenderReactive() {
  reactive_.resize(zones_.size());
  const uint8_t level = StateLevel();
  for (size_t zone = 0; zone < zones_.size(); ++zone) {
    ReactiveZone& state = reactive_[zone];
    if (state.rising) {
      state.level = static_cast<uint8_t>(std::min(255, state.level + kReactiveStep));
      if (state.level == 255) state.rising = false;
    } else {
      state.level = static_cast<uint8_t>(std::max(0, state.level - kReactiveStep));
    }
    const ZoneColour colour = state_.multicolour() ? HostEffects::Wheel(state.colour_index) : FixedColour();
    zones_[zone] = {colour.red, colour.green, colour.blue, Scale(level, state.level)};
  }
}

void MouseEffectRenderer::RunLightList(uint32_t passes) { light_list_.Run(passes, clock_.NowMilliseconds(), zones_); }

void MouseEffectRenderer::ClearEffectBuffers() {
  HostEffectRenderer::ClearEffectBuffers();
  reactive_.assign(zones_.size(), ReactiveZone{});
}

}  // namespace zt640
