#include "profiles/light_mode_layout.h"

namespace zt640 {

namespace {

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
  switch (mode) {
    case 1:
    case 2:
      SetGroups(layout, kAll);
      break;
    case 3:
    case 24:
      SetGroups(layout, kAll);
      SetDirectionKeys(layout, "light_set_clockwise_text", "light_set_anticlockwise_text");
      break;
    case 4:
    case 11:
      SetGroups(layout, kBrightnessSpeed);
      layout.colour_tab = false;
      break;
    case 5:
    case 7:
    case 8:
    case 9:
    case 10:
    case 13:
    case 14:
    case 15:
    case 22:
    case 23:
    case 25:
    case 26:
      SetGroups(layout, kNoDirection);
      break;
    case 6:
      SetGroups(layout, {true, true, true, true, false, false});
      same_mode_offered = true;
      break;
    case 12:
      SetGroups(layout, {false, false, false, true, true, true});
      layout.colour_tab = false;
      SetDirectionKeys(layout, "light_set_down_to_up_text", "light_set_up_to_down_text");
      break;
    case 16:
      SetGroups(layout, {true, true, true, true, false, false});
      break;
    case 17:
      SetGroups(layout, {false, false, false, true, false, false});
      layout.speed_hidden = true;
      layout.mode17_row = true;
      layout.colour_tab = false;
      break;
    case 18:
      SetGroups(layout, {false, false, false, true, false, true});
      layout.colour_tab = false;
      SetDirectionKeys(layout, "light_set_outside_to_inside_text", "light_set_inside_to_outside_text");
      break;
    case 20:
      SetGroups(layout, kSingleColourStill);
      layout.speed_hidden = true;
      layout.custom_slot_row = true;
      break;
    case 21:
      SetGroups(layout, kAll);
      SetDirectionKeys(layout, "light_set_up_to_down_text", "light_set_down_to_up_text");
      break;
    case 27:
      SetGroups(layout, kBrightnessSpeed);
      break;
    case 28:
      SetGroups(layout, kNone);
      same_mode_offered = true;
      break;
    case 29:
      SetGroups(layout, {true, true, true, true, false, true});
      layout.speed_hidden = true;
      layout.audio_row = true;
      layout.page = 1;
      break;
    case 30:
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
