#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devices/light_state.h"

namespace zt640::ctl {

/// A whole word as a number in `base`; none for an empty word or trailing text.
[[nodiscard]] std::optional<long> ParseNumber(const std::string& text, int base = 10);

/// Applies the options of `light --mode N [--brightness B] [--speed S]
/// [--direction D] [--multicolour 0|1] [--colour RRGGBB]` (words[0] is the
/// verb) to `state`. False, with `state` partly changed, for an unknown or
/// malformed option, a value out of range (mode above `last_mode`) or no mode.
[[nodiscard]] bool ParseLightOptions(const std::vector<std::string>& words, int last_mode, LightState* state);

}  // namespace zt640::ctl
