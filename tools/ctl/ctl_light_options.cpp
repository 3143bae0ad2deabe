#include "ctl_light_options.h"

#include <cstdlib>

namespace zt640::ctl {

std::optional<long> ParseNumber(const std::string& text, int base) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, base);
  if (text.empty() || end == nullptr || *end != '\0') return std::nullopt;
  return value;
}

bool ParseLightOptions(const std::vector<std::string>& words, int last_mode, LightState* state) {
  bool have_mode = false;
  for (size_t i = 1; i < words.size(); ++i) {
    if (i + 1 >= words.size()) return false;
    const std::string& name = words[i];
    const std::string& text = words[++i];
    if (name == "--colour") {
      const auto rgb = ParseNumber(text, 16);
      if (!rgb || text.size() != 6 || *rgb < 0) return false;
      state->bytes[LightState::kRed] = static_cast<uint8_t>(*rgb >> 16);
      state->bytes[LightState::kGreen] = static_cast<uint8_t>(*rgb >> 8);
      state->bytes[LightState::kBlue] = static_cast<uint8_t>(*rgb);
      continue;
    }
    const auto value = ParseNumber(text);
    if (!value || *value < 0) return false;
    if (name == "--mode" && *value <= last_mode) {
      state->bytes[LightState::kMode] = static_cast<uint8_t>(*value);
      have_mode = true;
    } else if (name == "--brightness" && *value <= 4) {
      state->bytes[LightState::kBrightness] = static_cast<uint8_t>(*value);
    } else if (name == "--speed" && *value <= 4) {
      state->bytes[LightState::kSpeed] = static_cast<uint8_t>(*value);
    } else if (name == "--direction" && *value <= 1) {
      state->bytes[LightState::kDirection] = static_cast<uint8_t>(*value);
    } else if (name == "--multicolour" && *value <= 1) {
      state->bytes[LightState::kMulticolour] = static_cast<uint8_t>(*value);
    } else {
      return false;
    }
  }
  return have_mode;
}

}  // namespace zt640::ctl
