#pragma once

#include <QString>

namespace zt640 {

/// A control name split at its last "_": the prefix keeps the "_", the rest is the
/// index when it is a decimal number. A name without "_" has no prefix.
struct ControlName {
  QString prefix;
  int index = -1;
  bool has_index = false;
};
[[nodiscard]] ControlName SplitControlName(const QString& name);

/// Where a "click" goes.
enum class ClickRoute {
  kNone,
  kKeyButton,           ///< "key_" + index: a key of the selected device's picture
  kPaletteColour,       ///< "color_option_" + index
  kAudioPaletteColour,  ///< "audiocolor_option_" + index
  kWindowDeviceSet,     ///< "windowdeviceset_" + index
  kDpiColour,           ///< "DPI_color_option_" + index
  kClose,
  kNoDeviceOk,
  kLightControl,
  kMinimise,
  kMaximise,
  kRestore,
  kSkin,
  kSettings,
  kDefault,
  kResetRepeat,
  kProfilePanel,
  kKeySet,
  kMacroRecord,
  kMacroLibrary,
  kMacroInsertMove,
  kShoot,
  kCustomFill,
  kSameMode,
  kHeadsetEq,
  kProfileSpread,
  kSelectPrevious,
  kSelectNext,
  kCloseBackground,
  kMusicSettings,
  kLogo,
};

/// Where a "selectchanged", "valuechanged", "itemselect" or "killfocus" goes: the
/// subsystem that owns the control.
enum class ControlOwner {
  kNone,
  kDeviceSelect,      ///< "device_select" of a selector entry
  kFunctionTab,       ///< the device page's function tabs
  kMouseDpi,          ///< DPI stages, polling rate and report options of the mouse
  kSystemMouse,       ///< system pointer settings
  kKeyboardOptions,   ///< repeat, lock and polling options of the keyboard
  kShoot,             ///< recoil patterns
  kHeadsetVoice,      ///< voice changer
  kHeadsetEq,         ///< equaliser and microphone
  kKeySet,            ///< key assignment editor
  kLightEditor,       ///< lighting editor
  kAudioLight,        ///< audio-reactive lighting
  kAudioSliders,      ///< the audio colour sliders and their labels
  kSynchro,           ///< "synchro_device_select": read by the selector, nothing here
  kProfilePanel,
  kMacroLibrary,
  kCustomEq,
};

struct ClickTarget {
  ClickRoute route = ClickRoute::kNone;
  int index = -1;  ///< for the prefix routes
};

/// The routing tables of the main window. Prefix routes come first; exact names are
/// compared without regard to case except the few the tables keep exact.
class ControlRoutes {
 public:
  [[nodiscard]] static ClickTarget Click(const QString& name);
  [[nodiscard]] static ControlOwner SelectChanged(const QString& name);
  [[nodiscard]] static ControlOwner ValueChanged(const QString& name);
  [[nodiscard]] static ControlOwner ItemSelect(const QString& name);
  [[nodiscard]] static ControlOwner KillFocus(const QString& name);
  /// The function switch value a function tab stands for (1 lighting, 2 keys,
  /// 3 macros, 4 options and the rest); 0 when the name is no function tab.
  [[nodiscard]] static int FunctionTabSwitch(const QString& name);
};

}  // namespace zt640
