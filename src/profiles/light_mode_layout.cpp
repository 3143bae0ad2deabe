#include "profiles/light_mode_layout.h"

#include "profiles/keyboard_light_mode.h"

namespace zt640 {

namespace {

using Mode = KeyboardLightMode;
/// Stands for a mode index outside the mode list.
constexpr uint8_t kNoMode = 0xFF;

/// The six groups a mode enables, in the order multicolour, colour, palette,
/// brightness, speed, direction.
struct Groups {
  bool multicolour, colour, palette, brightness, speed, direction;
};

constexpr Groups kAll{true, true, true, true, true, true};
constexpr Groups kNoDirection{true, true, true, true, true, false};
constexpr Groups kBrightnessSpeed{false, false, false, true, true, false};
constexpr Groups kSingleColourStill{false, true, true, true, false, false};
constexpr Groups kNone{false, false, false, false, false, false};

void SetGroups(LightModeLayout& layout, const Groups& groups) {
  layout.multicolour = groups.multicolour;
  layout.colour = groups.colour;
  layout.palette = groups.palette;
  layout.brightness = groups.brightness;
  layout.speed = groups.speed;
  layout.direction = groups.direction;
}

void SetDirectionKeys(LightModeLayout& layout, const char* first, const char* second) {
  layout.direction_first_key = first;
  layout.direction_second_key = second;
}

LightModeLayout KeyboardLayout(int mode, bool same_mode_allowed) {
  LightModeLayout layout;
  bool same_mode_offered = false;
  // An index past the last mode names none: every group but the effect group is off.
  const Mode named = mode >= 0 && mode < kKeyboardLightModeCount ? ToKeyboardLightMode(mode) : Mode{kNoMode};
  switch (named) {
    case Mode::kColumnWave:
    case Mode::kColumnSweep:
      SetGroups(layout, kAll);
      break;
    case Mode::kPathWave:
    case Mode::kSweepFrames:
      SetGroups(layout, kAll);
      SetDirectionKeys(layout, "light_set_clockwise_text", "light_set_anticlockwise_text");
      break;
    case Mode::kSpectrum:
    case Mode::kRainbowKeys:
      SetGroups(layout, kBrightnessSpeed);
      layout.colour_tab = false;
      break;
    case Mode::kBreathing:
    case Mode::kReactive:
    case Mode::kRipple:
    case Mode::kLineRipple:
    case Mode::kTwinkle:
    case Mode::kCentreBounce:
    case Mode::kShow:
    case Mode::kTwinklePath:
    case Mode::kStaggeredBreath:
    case Mode::kBlink:
    case Mode::kReactiveRipple:
    case Mode::kBreathingFourColours:
      SetGroups(layout, kNoDirection);
      break;
    case Mode::kStatic:
      SetGroups(layout, {true, true, true, true, false, false});
      same_mode_offered = true;
      break;
    case Mode::kRowWave:
      SetGroups(layout, {false, false, false, true, true, true});
      layout.colour_tab = false;
      SetDirectionKeys(layout, "light_set_down_to_up_text", "light_set_up_to_down_text");
      break;
    case Mode::kDiagonalFlow:
      SetGroups(layout, {true, true, true, true, false, false});
      break;
    case Mode::kOptionColour:
      SetGroups(layout, {false, false, false, true, false, false});
      layout.speed_hidden = true;
      layout.mode17_row = true;
      layout.colour_tab = false;
      break;
    case Mode::kGroupRainbow:
      SetGroups(layout, {false, false, false, true, false, true});
      layout.colour_tab = false;
      SetDirectionKeys(layout, "light_set_outside_to_inside_text", "light_set_inside_to_outside_text");
      break;
    case Mode::kCustom:
      SetGroups(layout, kSingleColourStill);
      layout.speed_hidden = true;
      layout.custom_slot_row = true;
      break;
    case Mode::kSnake:
      SetGroups(layout, kAll);
      SetDirectionKeys(layout, "light_set_up_to_down_text", "light_set_down_to_up_text");
      break;
    case Mode::kBlinkFourColours:
      SetGroups(layout, kBrightnessSpeed);
      break;
    case Mode::kOff:
      SetGroups(layout, kNone);
      same_mode_offered = true;
      break;
    case Mode::kAudio:
      SetGroups(layout, {true, true, true, true, false, true});
      layout.speed_hidden = true;
      layout.audio_row = true;
      layout.page = 1;
      break;
    case Mode::kAudioColour:
      SetGroups(layout, {false, false, false, true, false, false});
      layout.colour_tab = false;
      break;
    default:
      SetGroups(layout, kNone);
      break;
  }
  layout.same_mode = same_mode_allowed && same_mode_offered;
  return layout;
}

/// Mouse pad and headset (kinds 3, 4 and 7).
Groups PadOrHeadsetGroups(int mode, bool& same_mode_offered) {
  same_mode_offered = (mode >= 1 && mode <= 4) || mode == 8;
  switch (mode) {
    case 0:
      return kAll;
    case 1:
      return kBrightnessSpeed;
    case 2:
    case 4:
      return kNoDirection;
    case 3:
      return kSingleColourStill;
    default:
      return kNone;
  }
}

Groups MouseGroups(int mode, bool& same_mode_offered) {
  same_mode_offered = mode == 1 || mode == 2 || mode == 3 || mode == 4 || mode == 6 || mode == 9;
  switch (mode) {
    case 0:
    case 5:
      return kAll;
    case 1:
    case 7:
    case 8:
      return kBrightnessSpeed;
    case 2:
    case 4:
    case 6:
      return kNoDirection;
    case 3:
      return kSingleColourStill;
    default:
      return kNone;
  }
}

/// The hub kind never offers the same-effect button and leaves the direction alone.
Groups FifthKindGroups(int mode) {
  switch (mode) {
    case 0:
    case 2:
    case 3:
      return kAll;
    case 1:
      return kSingleColourStill;
    case 4:
      return kBrightnessSpeed;
    default:
      return kNone;
  }
}

}  // namespace

LightModeLayout ModeLayout(DeviceKind kind, int mode, bool same_mode_allowed) {
  if (kind == DeviceKind::kKeyboard) return KeyboardLayout(mode, same_mode_allowed);
  LightModeLayout layout;
  bool same_mode_offered = false;
  switch (kind) {
    case DeviceKind::kMouse:
      SetGroups(layout, MouseGroups(mode, same_mode_offered));
      break;
    case DeviceKind::kMousePad:
    case DeviceKind::kOtherHeadset:
    case DeviceKind::kHeadset:
      SetGroups(layout, PadOrHeadsetGroups(mode, same_mode_offered));
      break;
    case DeviceKind::kHub:
      SetGroups(layout, FifthKindGroups(mode));
      layout.direction = true;
      layout.direction_touched = false;
      break;
    default:
      SetGroups(layout, kNone);
      break;
  }
  layout.same_mode = same_mode_allowed && same_mode_offered;
  return layout;
}

}  // namespace zt640
