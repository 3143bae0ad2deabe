#pragma once

#include <functional>
#include <vector>

#include "catalogue/device_kind.h"
#include "profiles/light_effect.h"

namespace zt640 {

class CKalvexUSBDevice;
struct SharedSyncEffect;

/// "The same lighting on every device": the selected device's effect, mapped to
/// each connected device kind's own mode for it.
class SameLighting {
 public:
  /// Reads the effect of `selected`; when its mode has a common effect, remembers it
  /// in `remembered` for the synchronisation thread and writes it to every connected
  /// device of `devices` (keyboard, mouse, mouse pad and headset order). False, with
  /// nothing changed, when the mode has no common effect.
  static bool Apply(CKalvexUSBDevice& selected, const std::vector<CKalvexUSBDevice*>& devices,
                    SharedSyncEffect& remembered);
  /// As Apply, with the effect `effect` of a device of kind `selected_kind` already
  /// read, and each device's write handed to `write` (which may run it elsewhere).
  using Writer = std::function<void(CKalvexUSBDevice& device, const LightEffect& effect)>;
  static bool Apply(DeviceKind selected_kind, const LightEffect& effect, const std::vector<CKalvexUSBDevice*>& devices,
                    SharedSyncEffect& remembered, const Writer& write);

  /// Gives `device` the effect's mode, brightness, speed, direction, colour flags and
  /// colour, saves it in the profile and writes the settings record.
  static void WriteEffect(CKalvexUSBDevice& device, const LightEffect& effect);
};

}  // namespace zt640
