#include "shell/custom_controls.h"

#include <array>

#include "editors/audio_record_ui.h"
#include "editors/key_set_control_ui.h"
#include "editors/light_control_ui.h"
#include "editors/macro_control_ui.h"
#include "shell/device_option_ui.h"
#include "editors/device_profile_ui.h"
#include "pages/headset/magic_control_ui.h"
#include "pages/headset/voice6533_control_ui.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/mouse/mouse_options_panel.h"
#include "pages/mouse/shoot_control_ui.h"
#include "pages/picture_controls.h"
#include "pages/mp_device_power_ui.h"
#include "ui/colour_palette.h"
#include "ui/control_factory.h"

namespace zt640 {

namespace {
struct CustomControl {
  const char* name;
  ui::ControlBase base;
};

constexpr std::array<CustomControl, 23> kCustomControls = {{
    {"CCircleProgressUI", ui::ControlBase::kContainer},
    {"CChartViewUI", ui::ControlBase::kContainer},
    {"CWndUI", ui::ControlBase::kContainer},
    {"CSelectPanelUI", ui::ControlBase::kContainer},
    {"CDeviceKeyButtonUI", ui::ControlBase::kOption},
    {"CCloudShareListItemUI", ui::ControlBase::kContainer},
    {"CUpdateInfoListItemUI", ui::ControlBase::kContainer},
    {"CDeviceOptionUI", ui::ControlBase::kContainer},
    {"CMpDevicePowerUI", ui::ControlBase::kContainer},
    {"CComboEditContainerElementUI", ui::ControlBase::kContainer},
    {"CHandImgButtonUI", ui::ControlBase::kButton},
    {"CHandImgSelectButtonUI", ui::ControlBase::kOption},
    {"CRedioMacroButtonUI", ui::ControlBase::kOption},
    {"CLightControlUI", ui::ControlBase::kContainer},
    {"CMacroControlUI", ui::ControlBase::kContainer},
    {"CKeySetControlUI", ui::ControlBase::kContainer},
    {"CDeviceProfileUI", ui::ControlBase::kContainer},
    {"CShootControlUI", ui::ControlBase::kContainer},
    {"CMagicControlUI", ui::ControlBase::kContainer},
    {"CVoice6533ControlUI", ui::ControlBase::kContainer},
    {"CKalvexUSBDevice", ui::ControlBase::kContainer},
    {"CKalvexMousePadDevice", ui::ControlBase::kContainer},
    {"CKalvexHS6533Device", ui::ControlBase::kContainer},
}};
}  // namespace

void RegisterCustomControls(ui::ControlFactory& factory) {
  for (const CustomControl& control : kCustomControls) {
    const QString name = QString::fromLatin1(control.name);
    factory.RegistControl(name, ui::ControlFactory::PlainControl(name, control.base));
  }
  // The selector entry, the power widget and the level display have their own classes.
  factory.RegistControl(QStringLiteral("CAudioRecordUI"), [](QWidget* parent) { return new CAudioRecordUI(parent); });
  factory.RegistControl(QStringLiteral("CDeviceOptionUI"),
                        [](QWidget* parent) { return new CDeviceOptionUI(QStringLiteral("DeviceOption.ui"), parent); });
  factory.RegistControl(QStringLiteral("CMpDevicePowerUI"),
                        [](QWidget* parent) { return new CMpDevicePowerUI(QStringLiteral("MpDevicePower.ui"), parent); });
  // The panels of the device pages, under their class and element names.
  for (const char* name : {"CDeviceProfileUI", "DeviceProfile"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CDeviceProfileUI(parent); });
  }
  for (const char* name : {"CKeySetControlUI", "KeySetControl"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CKeySetControlUI(parent); });
  }
  for (const char* name : {"CLightControlUI", "LightControl"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CLightControlUI(parent); });
  }
  for (const char* name : {"CMacroControlUI", "MacroControl"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CMacroControlUI(parent); });
  }
  factory.RegistControl(QStringLiteral("KeyboardOptionsPanel"),
                        [](QWidget* parent) { return new KeyboardOptionsPanel(parent); });
  factory.RegistControl(QStringLiteral("MouseOptionsPanel"), [](QWidget* parent) { return new MouseOptionsPanel(parent); });
  for (const char* name : {"CShootControlUI", "ShootControl"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CShootControlUI(parent); });
  }
  for (const char* name : {"CVoice6533ControlUI", "Voice6533Control"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CVoice6533ControlUI(parent); });
  }
  for (const char* name : {"CMagicControlUI", "MagicControl"}) {
    factory.RegistControl(QString::fromLatin1(name), [](QWidget* parent) { return new CMagicControlUI(parent); });
  }
  factory.RegistControl(QStringLiteral("CColorPaletteUI"), [](QWidget* parent) { return new ui::ColourPalette(parent); });
  RegisterPictureControls(factory);
}

}  // namespace zt640
