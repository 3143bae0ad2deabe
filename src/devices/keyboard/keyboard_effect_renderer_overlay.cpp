#include <algorithm>
#include <utility>

#include "devices/host_effects.h"
#include "devices/keyboard/keyboard_effect_renderer.h"

namespace zt640 {
namespace {

enum ZoneEffectType : uint8_t { kZoneBreathing = 0, kZoneStatic = 1, kZoneBlink = 2, kZoneSpectrum = 3, kZoneOff = 4 };

ZoneColour ColourOf(const LightEffect& effect) { return {effect.red, effect.green, effect.blue, 0}; }

}  // namespace

void KeyboardEffectRenderer::SetZoneRecords(std::vector<LightEffect> records) {
  zone_records_ = std::move(records);
  zone_states_.assign(zone_records_.size(), ZoneEffectState{});
}

void KeyboardEffectRenderer::SetLightList(std::vector<EffectFrame> entries) {
  light_list_.SetEntries(std::move(entries));
}

void KeyboardEffectRenderer::RunOverlay(uint32_t passes, bool new_tick) {
  const size_t count = std::min(zone_records_.size(), zones_.size());
  for (size_t zone = 0; zone < count; ++zone) {
    if (zone_records_[zone].present == 0) continue;
    RunZoneRecord(zone, zone_records_[zone], zone_states_[zone], passes, new_tick);
  }
}

void KeyboardEffectRenderer::RunZoneRecord(size_t zone, const LightEffect& record, ZoneEffectState& state,
                                           uint32_t passes, bool new_tick) {
  const uint8_t level = HostEffects::Level(record.brightness);
  const bool enabled = record.present != 0;
  switch (record.mode) {
    case kZoneStatic:
      zones_[zone] = {record.red, record.green, record.blue, level};
      break;
    case kZoneOff:
      zones_[zone] = {};
      break;
    case kZoneBreathing: {
      if (!enabled) break;
      // One step per tick change, not per millisecond: a step of 4 to 8 every
      // millisecond would flicker through the 128-step curve 30 to 60 times a
      // second instead of breathing.
      if (new_tick) {
        state.phase += std::min<int>(record.speed, 4) + 4;
        if (state.phase > 127) {
          state.phase = 0;
          state.colour_index = std::min(state.colour_index + 1, HostEffects::kWheelSize - 1);
        }
      }
      const ZoneColour colour = record.multicolor != 0 ? HostEffects::Wheel(state.colour_index) : ColourOf(record);
      zones_[zone] = {colour.red, colour.green, colour.blue,
                      static_cast<uint8_t>(HostEffects::BreathingCurve()[static_cast<size_t>(state.phase)] * level / 256)};
      break;
    }
    case kZoneBlink: {
      const uint32_t now = clock_.NowMilliseconds();
      if (now - state.last_ms >= HostEffects::BlinkPeriodSteps(record.speed) * HostEffects::kBlinkStepMs) {
        state.on = !state.on;
        state.last_ms = now;
        state.colour_index += 14;
        if (state.colour_index > HostEffects::kWheelSize - 1) state.colour_index = 0;
      }
      if (!state.on) {
        zones_[zone] = {};
        break;
      }
      const ZoneColour colour = record.multicolor != 0 ? HostEffects::Wheel(state.colour_index) : ColourOf(record);
      zones_[zone] = {colour.red, colour.green, colour.blue, level};
      break;
    }
    case kZoneSpectrum: {
      if (!enabled) break;
      const auto threshold = static_cast<int>(HostEffects::BlinkPeriodSteps(record.speed));
      state.counter += static_cast<int>(passes);
      const int steps = state.counter / threshold;
      state.counter %= threshold;
      state.colour_index = (state.colour_index + steps) % HostEffects::kWheelSize;
      const ZoneColour colour = HostEffects::Wheel(state.colour_index);
      zones_[zone] = {colour.red, colour.green, colour.blue, level};
      break;
    }
    default:
      break;
  }
}

void KeyboardEffectRenderer::RunLightList(uint32_t passes) {
  light_list_.Run(passes, clock_.NowMilliseconds(), zones_);
}

}  // namespace zt640
