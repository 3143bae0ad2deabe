#include "devices/effect_clock.h"

#include <algorithm>
#include <utility>

namespace zt640 {

EffectClock::EffectClock()
    : source_([] {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
      }) {}

EffectClock::EffectClock(Source source) : source_(std::move(source)) {}

std::chrono::milliseconds EffectClock::UntilTickChanges(uint64_t changes) const {
  const auto period = static_cast<uint64_t>(kTickPeriod.count());
  const uint64_t left_us = period - source_() % period + (std::max<uint64_t>(changes, 1) - 1) * period;
  // Round up so the wait ends after the change, never just before it.
  const auto left_ms = static_cast<int64_t>((left_us + 999) / 1000);
  return std::chrono::milliseconds(left_ms < 1 ? 1 : left_ms);
}

}  // namespace zt640
