#include "devices/keyboard/keyboard_settings_record.h"

#include <algorithm>

#include "profiles/keyboard_light_mode.h"

namespace zt640 {

KeyboardSettingsRecord KeyboardSettingsRecord::Build(uint8_t slot_number, uint8_t mode_code,
                                                     const LightEffect& effect,
                                                     const KeyboardOptions& options) {
  KeyboardSettingsRecord record;
  auto& b = record.bytes;
  b[kSlot] = slot_number;
  // The streamed modes' codes are their mode indices; the keyboard is told the host streams them.
  b[kModeCode] = IsHostStreamedMode(ToKeyboardLightMode(mode_code)) ? kHostStreamedCode : mode_code;
  b[kBrightness] = effect.brightness;
  b[kInverseSpeed] = static_cast<uint8_t>(4 - std::min<uint8_t>(effect.speed, 4));
  b[kDirection] = effect.direction;
  b[kMulticolour] = effect.multicolor;
  b[kRed] = effect.red;
  b[kGreen] = effect.green;
  b[kBlue] = effect.blue;
  b[kModeOption] = effect.zzcc_led_mode;
  b[kWFlag] = static_cast<uint8_t>(options.w_flag);
  b[kKey6Flag] = static_cast<uint8_t>(options.key6_flag);
  b[kWinFlag] = static_cast<uint8_t>(options.win_flag);
  b[kPollingRate] = static_cast<uint8_t>(options.polling_rate);
  b[kCustomSlot] = effect.custom_group;
  b[kMacMode] = static_cast<uint8_t>(options.mac_mode);
  b[kWheel] = static_cast<uint8_t>(options.wheel);
  return record;
}

void KeyboardSettingsRecord::ApplyTo(LightEffect* effect, KeyboardOptions* options) const {
  const auto& b = bytes;
  effect->brightness = std::min<uint8_t>(b[kBrightness], 4);
  effect->speed = static_cast<uint8_t>(4 - std::min<uint8_t>(b[kInverseSpeed], 4));
  effect->direction = b[kDirection];
  effect->multicolor = b[kMulticolour];
  effect->red = b[kRed];
  effect->green = b[kGreen];
  effect->blue = b[kBlue];
  effect->zzcc_led_mode = b[kModeOption];
  effect->custom_group = b[kCustomSlot];
  options->w_flag = b[kWFlag];
  options->key6_flag = b[kKey6Flag];
  options->win_flag = b[kWinFlag];
  options->mac_mode = b[kMacMode];
  options->wheel = b[kWheel];
}

}  // namespace zt640
