#include <algorithm>
#include <utility>

#include "devices/host_effects.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/keyboard/keyboard_effect_tables.h"

namespace zt640 {
namespace {

enum ZoneEffectType : uint8_t { kZoneBreathing = 0, kZoneStatic = 1, kZoneBlink = 2, kZoneSpectrum = 3, kZoneOff = 4 };
enum ListEffectType : uint8_t { kListBreathing = 0, kListStatic = 1, kListBlink = 2, kListWave = 4, kListSpectrum = 5 };

ZoneColour ColourOf(const LightEffect& effect) { return {effect.red, effect.green, effect.blue, 0}; }

}  // namespace

void KeyboardEffectRenderer::SetZoneRecords(std::vector<LightEffect> records) {
  zone_records_ = std::move(records);
  zone_states_.assign(zone_records_.size(), ZoneEffectState{});
}

void KeyboardEffectRenderer::SetLightList(std::vector<EffectFrame> entries) {
  light_list_ = std::move(entries);
  list_entry_ = 0;
  list_started_ = false;
  list_counter_ = 0;
  list_phase_ = 0;
  list_colour_index_ = 0;
  list_blink_on_ = false;
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
  if (light_list_.empty()) {
    RenderOff();
    return;
  }
  const uint32_t now = clock_.NowMilliseconds();
  if (!list_started_) {
    list_started_ = true;
    list_entry_start_ms_ = now;
    list_blink_ms_ = now;
  }
  const EffectFrame& entry = light_list_[list_entry_ % light_list_.size()];
  const LightEffect& effect = entry.effect;
  const uint8_t level = HostEffects::Level(effect.brightness);
  const bool forward = effect.direction != 0;
  const int threshold = effect.mode == kListSpectrum ? 5 - std::min<int>(effect.speed, 4)
                                                     : static_cast<int>(HostEffects::BlinkPeriodSteps(effect.speed));
  // Every `threshold` passes make one render; only the last one shows.
  list_counter_ += static_cast<int>(passes);
  const int renders = list_counter_ / threshold;
  list_counter_ %= threshold;
  switch (effect.mode) {
    case kListBreathing:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) {
        list_phase_ = HostEffects::Step(forward, HostEffects::kBreathingSteps, list_phase_);
        if (list_phase_ == 0) list_colour_index_ = (list_colour_index_ + 16) % HostEffects::kWheelSize;
      }
      FillZones(effect.multicolor != 0 ? HostEffects::Wheel(list_colour_index_) : ColourOf(effect),
                static_cast<uint8_t>(HostEffects::BreathingCurve()[static_cast<size_t>(list_phase_)] * level / 256));
      break;
    case kListStatic:
      if (renders > 0) FillZones(ColourOf(effect), level);
      break;
    case kListBlink:
      if (now - list_blink_ms_ >= HostEffects::BlinkPeriodSteps(effect.speed) * HostEffects::kBlinkStepMs) {
        list_blink_on_ = !list_blink_on_;
        list_blink_ms_ = now;
        list_colour_index_ = (list_colour_index_ + 16) % HostEffects::kWheelSize;
      }
      if (list_blink_on_) {
        FillZones(effect.multicolor != 0 ? HostEffects::Wheel(list_colour_index_) : ColourOf(effect), level);
      } else {
        FillZones({}, 0);
      }
      break;
    case kListWave:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) list_phase_ = HostEffects::Step(forward, HostEffects::kWheelSize, list_phase_);
      for (size_t i = 0; i < zones_.size(); ++i) {
        const int offset = list_phase_ + 12 * static_cast<int>(i);
        if (effect.multicolor != 0) {
          const ZoneColour colour = HostEffects::Wheel(offset);
          zones_[i] = {colour.red, colour.green, colour.blue, level};
        } else {
          zones_[i] = {effect.red, effect.green, effect.blue,
                       static_cast<uint8_t>(KeyboardEffectTables::WaveCurve()[static_cast<size_t>(offset % 96)] * level / 256)};
        }
      }
      break;
    case kListSpectrum:
      if (renders == 0) break;
      for (int i = 0; i < renders; ++i) list_phase_ = HostEffects::Step(forward, HostEffects::kWheelSize, list_phase_);
      FillZones(HostEffects::Wheel(list_phase_), level);
      break;
    default:
      FillZones({}, 0);
      break;
  }
  if (entry.time >= 0 && now - list_entry_start_ms_ >= static_cast<uint32_t>(entry.time)) {
    list_entry_ = (list_entry_ + 1) % light_list_.size();
    list_entry_start_ms_ = now;
    list_counter_ = 0;
  }
}

}  // namespace zt640
