#include "pages/picture_controls.h"

#include "pages/device_key_button_ui.h"
#include "pages/select_panel_ui.h"
#include "ui/control_factory.h"

namespace zt640 {

void RegisterPictureControls(ui::ControlFactory& factory) {
  const auto key_button = [](QWidget* parent) -> QWidget* { return new CDeviceKeyButtonUI(parent); };
  const auto select_panel = [](QWidget* parent) -> QWidget* { return new CSelectPanelUI(parent); };
  factory.RegistControl(QStringLiteral("CDeviceKeyButtonUI"), key_button);
  factory.RegistControl(QStringLiteral("DeviceKeyButton"), key_button);
  factory.RegistControl(QStringLiteral("CSelectPanelUI"), select_panel);
  factory.RegistControl(QStringLiteral("SelectPanel"), select_panel);
}

}  // namespace zt640
