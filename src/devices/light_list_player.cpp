#include "devices/light_list_player.h"

#include <algorithm>
#include <utility>

#include "devices/host_effects.h"

namespace zt640 {
namespace {

ZoneColour ColourOf(const LightEffect& effect) { return {effect.red, effect.green, effect.blue, 0}; }

void Fill(std::vector<ZoneColour>& zones, const ZoneColour& colour, uint8_t brightness) {
  for (ZoneColour& zone : zones) zone = {colour.red, colour.green, colour.blue, brightness};
}

}  // namespace

void LightListPlayer::SetEntries(std::vector<EffectFrame> entries) {
  entries_ = std::move(entries);
  entry_ = 0;
  started_ = false;
  counter_ = 0;
  phase_ = 0;
  colour_index_ = 0;
  blink_on_ = false;
}

void LightListPlayer::Run(uint32_t passes, uint32_t now_ms, std::vector<ZoneColour>& zones) {
  if (entries_.empty()) {
    Fill(zones, {}, 0);
    return;
  }
  if (!started_) {
    started_ = true;
    entry_start_ms_ = now_ms;
    blink_ms_ = now_ms;
  }
  const EffectFrame& entry = entries_[entry_ % entries_.size()];
  const LightEffect& effect = entry.effect;
  const uint8_t level = HostEffects::Level(effect.brightness);
  const bool forward = effect.direction != 0;
  const int threshold = effect.mode == kSpectrum ? 5 - std::min<int>(effect.speed, 4)
                                                 : static_cast<int>(HostEffects::BlinkPeriodSteps(effect.speed));
  // Every `threshold` passes make one render; only the last one shows.
  counter_ += static_cast<int>(passes);
  const int renders = counter_ / threshold;
  counter_ %= threshold;
  switch (effect.mode) {
    case kBreathing:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) {
        phase_ = HostEffects::Step(forward, HostEffects::kBreathingSteps, phase_);
        if (phase_ == 0) colour_index_ = (colour_index_ + 16) % HostEffects::kWheelSize;
      }
      Fill(zones, effect.multicolor != 0 ? HostEffects::Wheel(colour_index_) : ColourOf(effect),
           static_cast<uint8_t>(HostEffects::BreathingCurve()[static_cast<size_t>(phase_)] * level / 256));
      break;
    case kStatic:
      if (renders > 0) Fill(zones, ColourOf(effect), level);
      break;
    case kBlink:
      if (now_ms - blink_ms_ >= HostEffects::BlinkPeriodSteps(effect.speed) * HostEffects::kBlinkStepMs) {
        blink_on_ = !blink_on_;
        blink_ms_ = now_ms;
        colour_index_ = (colour_index_ + 16) % HostEffects::kWheelSize;
      }
      if (blink_on_) {
        Fill(zones, effect.multicolor != 0 ? HostEffects::Wheel(colour_index_) : ColourOf(effect), level);
      } else {
        Fill(zones, {}, 0);
      }
      break;
    case kWave:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) phase_ = HostEffects::Step(forward, HostEffects::kWheelSize, phase_);
      for (size_t i = 0; i < zones.size(); ++i) {
        const int offset = phase_ + kWaveZoneStep * static_cast<int>(i);
        if (effect.multicolor != 0) {
          const ZoneColour colour = HostEffects::Wheel(offset);
          zones[i] = {colour.red, colour.green, colour.blue, level};
        } else {
          const uint8_t curve = HostEffects::WaveCurve()[static_cast<size_t>(offset % HostEffects::kWaveSteps)];
          zones[i] = {effect.red, effect.green, effect.blue, static_cast<uint8_t>(curve * level / 256)};
        }
      }
      break;
    case kSpectrum:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) phase_ = HostEffects::Step(forward, HostEffects::kWheelSize, phase_);
      Fill(zones, HostEffects::Wheel(phase_), level);
      break;
    default:
      Fill(zones, {}, 0);
      break;
  }
  if (entry.time >= 0 && now_ms - entry_start_ms_ >= static_cast<uint32_t>(entry.time)) {
    entry_ = (entry_ + 1) % entries_.size();
    entry_start_ms_ = now_ms;
    counter_ = 0;
  }
}

}  // namespace zt640
