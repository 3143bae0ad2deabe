#pragma once

namespace zt640 {

namespace ui {
class ControlFactory;
}

/// Registers the custom control classes with the control factory, in the order the skin
/// builder expects them. A class whose behaviour is not part of this build is registered
/// as a plain control of its base kind under its class name.
void RegisterCustomControls(ui::ControlFactory& factory);

}  // namespace zt640
