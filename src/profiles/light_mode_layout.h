#pragma once

#include <string>

#include "catalogue/device_kind.h"

namespace zt640 {

/// Which groups of the lighting editor a device kind and mode offer: the enabled
/// state of each group, the rows shown, the direction labels (language keys) and
/// the colour page. The effect group (the mode list) is always enabled.
struct LightModeLayout {
  bool multicolour = false;
  bool colour = false;  ///< red, green and blue boxes with the colour button
  bool palette = false;  ///< palette and preset colours
  bool brightness = false;
  bool speed = false;
  bool direction = true;
  /// False when the kind leaves the direction group's enabled state as it was.
  bool direction_touched = true;
  bool speed_hidden = false;
  bool custom_slot_row = false;
  bool mode17_row = false;  ///< colour choice of the option colour mode
  bool audio_row = false;
  bool colour_tab = true;
  int page = 0;  ///< 0 the colour page, 1 the audio colour page
  bool same_mode = false;  ///< "same effect on all devices" shown
  std::string direction_first_key = "light_set_right_to_left_text";
  std::string direction_second_key = "light_set_left_to_right_text";

  friend bool operator==(const LightModeLayout&, const LightModeLayout&) = default;
};

/// The layout of `mode` for a device of `kind` (keyboard, mouse, mouse pad, either
/// headset code; the hub leaves the direction group as it was). "Same effect on
/// all devices" is shown only when `same_mode_allowed` is set and the mode offers
/// it. Kinds other than the keyboard only ever change the six groups, the
/// direction and the same-effect button; their other fields keep the keyboard
/// defaults. An unknown kind or mode disables every group but the effect group.
[[nodiscard]] LightModeLayout ModeLayout(DeviceKind kind, int mode, bool same_mode_allowed);

}  // namespace zt640
