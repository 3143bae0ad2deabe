#pragma once

namespace zt640 {

namespace ui {
class ControlFactory;
}

/// Registers the device picture controls with the control factory under their
/// class names ("CDeviceKeyButtonUI", "CSelectPanelUI") and their skin element
/// names ("DeviceKeyButton", "SelectPanel"). Call after RegisterCustomControls:
/// it replaces the plain stand-ins registered there.
void RegisterPictureControls(ui::ControlFactory& factory);

}  // namespace zt640
