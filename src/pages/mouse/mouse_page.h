#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/device_panel_sink.h"
#include "devices/macro_write_result.h"
#include "editors/device_profile_ui.h"
#include "editors/key_set_control_ui.h"
#include "editors/light_control_ui.h"
#include "editors/macro_control_ui.h"
#include "pages/mouse/mouse_options_panel.h"
#include "pages/mouse/shoot_control_ui.h"
#include "pages/select_panel_ui.h"
#include "profiles/mouse_records.h"
#include "ui/panel_prompts.h"

class QStackedWidget;
class QWidget;

namespace zt640 {

class CKalvexMouseDevice;
class CMpDevicePowerUI;
class MousePicture;

/// The mouse's page: its drawn picture with the buttons' assignment texts and the
/// live zone colours, the profile row, lighting editor, key assignment editor,
/// macro panel, DPI stages with report rate and system controls, and the recoil
/// pattern panel; and what the main window's routes do on them. It is also the
/// mouse's panel sink.
///
/// Routes run on the UI thread while the main window holds the devices' locks, so
/// they read the mouse's state directly; each edit's device side (state, profile
/// save, exchanges) goes to the device runner as one task, behind the edits
/// before it, and what the user must see of it comes back as a copy taken there.
/// It has no Qt parent: whoever creates it owns it.
class MousePage final : public QObject, public DevicePanelSink {
  Q_OBJECT
 public:
  /// The mouse's logical buttons, as its picture shows them.
  static constexpr std::size_t kButtonCount = 11;

  /// What the options panel shows, as taken from the mouse.
  struct View {
    std::array<MouseOptionsPanel::StageRow, MouseOptionsPanel::kStageCount> stages{};
    int current_stage = 0;
    int report_rate = 0;
    MouseOptions options;
    int level_maximum = 0;
    int dpi_maximum = 0;
  };

  MousePage(QWidget* page, CKalvexMouseDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts);
  ~MousePage() override;

  /// Loads the profile list (the mouse takes its active profile), the macro
  /// library and the gun files, and shows the mouse's state.
  void LoadPanels();

  [[nodiscard]] QWidget* Widget() const { return page_; }
  [[nodiscard]] CKalvexMouseDevice& Device() const { return device_; }
  [[nodiscard]] CDeviceProfileUI* Profiles() const { return profiles_; }
  [[nodiscard]] CKeySetControlUI* KeySet() const { return key_set_; }
  [[nodiscard]] CMacroControlUI* Macros() const { return macros_; }
  [[nodiscard]] CLightControlUI* Lighting() const { return light_; }
  [[nodiscard]] MouseOptionsPanel* Options() const { return options_; }
  [[nodiscard]] CShootControlUI* Shoot() const { return shoot_; }
  [[nodiscard]] MousePicture* Picture() const { return picture_.get(); }

  // What the main window's routes do on this page.
  void OnKeyClick(int key);
  void OnFunctionTab(int function_switch);
  bool OnProfileClick(const QString& name);
  bool OnProfileItemSelect(const QString& name, int index);
  void ActivateSelectedProfile();
  /// Resets the selected profile to the defaults and gives it to the mouse.
  void ResetSelectedProfile();
  bool OnKeySetClick(const QString& name);
  bool OnKeySetItemSelect(const QString& name, int index);
  bool OnKeySetSelectChanged(const QString& name, bool checked);
  bool OnKeySetKillFocus(const QString& name);
  /// A key press for the key assignment editor (the capture hook or the capture
  /// field itself): the captured assignment is stored at the selected button.
  bool OnKeyCapture(std::uint8_t scan_code, bool extended);
  bool OnMacroClick(const QString& name);
  bool OnMacroItemSelect(const QString& name, int index);
  bool OnMacroKillFocus(const QString& name);
  bool OnLightNotify(const QString& kind, const QString& name, qint64 wparam);
  void PickLightColour();
  void SetSameModeAllowed(bool allowed);
  /// "DPI_enable_check_", "DPI_select_check_" and "polling_rate_option_" plus an index.
  void OnStageSelectChanged(const QString& name, bool checked);
  /// "DPI_slider_" plus the stage: the stage's level; `moving` only shows the DPI text.
  void OnStageSlider(const QString& name, int level, bool moving);
  /// "DPI_edit_" plus the stage lost the focus: the typed DPI becomes the stage's level.
  void OnStageEdit(const QString& name);
  /// "DPI_color_option_" plus the stage: the palette dialog picks the stage's colour.
  void PickStageColour(int stage);
  /// The system controls: kept in the profile only.
  void OnSystemControl(const QString& name);
  bool OnShootClick(const QString& name);
  bool OnShootSelectChanged(const QString& name, bool checked);
  bool OnShootKillFocus(const QString& name);
  /// Rebuilds the button texts and the options panel from the mouse.
  void ShowMouseState();

  /// What the options panel shows of `device` (call where its state may be read).
  [[nodiscard]] static View TakeView(CKalvexMouseDevice& device);
  void ShowView(const View& view);

  // DevicePanelSink
  void ShowKeyLight(unsigned ui_key, const ZoneColour& colour) override;
  void ShowKeyText(unsigned ui_key, const std::string& text) override;
  void ShowKeyEnabled(unsigned ui_key, bool enabled) override;
  void ShowFunctionSwitch(int32_t value) override;
  void ShowPower(const PowerRecord& record) override;
  void ShowLightState(const LightEffect& effect) override;
  void ShowAudioLight(const AudioLightSetting& setting) override;
  void ShowCustomSlot(int slot) override;
  void ShowOptions(const KeyboardOptions& options) override;
  void ShowKeyAssignments() override;
  void PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

  /// Runs `work` where the mouse's exchanges run, after every task given before;
  /// then `done` (may be empty) on the UI thread.
  using DeviceRunner =
      std::function<void(std::function<void(CKalvexMouseDevice&)> work, std::function<void()> done)>;
  /// Without a runner an edit's exchanges run at once on the caller's thread.
  void SetDeviceRunner(DeviceRunner runner) { runner_ = std::move(runner); }
  void SetPostHandler(std::function<void(uint32_t, uintptr_t, intptr_t)> handler) { post_ = std::move(handler); }

 private:
  void RunOnMouse(std::function<void(CKalvexMouseDevice&)> work, std::function<void()> done = nullptr);
  /// Runs a panel action that saves and writes the settings record, then shows
  /// the options as the mouse has them.
  void RunStageAction(std::function<int(CKalvexMouseDevice&)> action);
  void TakeProfile(const std::string& uuid);
  void StoreKeySetEntry(CKeySetControlUI::Action action);
  void ApplyMacroChanges(bool active_keys_changed);
  void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits);
  void ShowLightPanel();
  void RefreshKeyTexts(const std::vector<KeyListEntry>& list, const std::vector<std::string>& macro_names,
                       const std::array<bool, kButtonCount>& present);
  void ShowResult(const std::string& message_key);
  void ShowMacroResult(const MacroWriteResult& result);

  QPointer<QWidget> page_;
  CKalvexMouseDevice& device_;
  QPointer<CMpDevicePowerUI> power_;
  ui::PanelPrompts prompts_;
  QPointer<CDeviceProfileUI> profiles_;
  QPointer<CKeySetControlUI> key_set_;
  QPointer<CMacroControlUI> macros_;
  QPointer<CLightControlUI> light_;
  QPointer<MouseOptionsPanel> options_;
  QPointer<CShootControlUI> shoot_;
  QPointer<QStackedWidget> function_pages_;
  QPointer<CSelectPanelUI> picture_panel_;
  std::unique_ptr<MousePicture> picture_;
  std::function<void(uint32_t, uintptr_t, intptr_t)> post_;
  DeviceRunner runner_;
  int marked_key_ = -1;
};

}  // namespace zt640
