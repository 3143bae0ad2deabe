#pragma once

#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/device_page.h"
#include "pages/mouse/mouse_options_panel.h"
#include "pages/mouse/shoot_control_ui.h"
#include "pages/select_panel_ui.h"
#include "profiles/mouse_records.h"

namespace zt640 {

class CKalvexMouseDevice;
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
class MousePage final : public DevicePage {
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

  [[nodiscard]] CKalvexMouseDevice& Device() const { return device_; }
  [[nodiscard]] MouseOptionsPanel* Options() const { return options_; }
  [[nodiscard]] CShootControlUI* Shoot() const { return shoot_; }
  [[nodiscard]] MousePicture* Picture() const { return picture_.get(); }

  // What the main window's routes do on this page.
  void OnKeyClick(int key);
  void OnFunctionTab(int function_switch);
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
  void ShowLightState(const LightEffect& effect) override;
  void ShowOptions(const KeyboardOptions& options) override;
  void ShowKeyAssignments() override;

  using DeviceRunner = RunnerFor<CKalvexMouseDevice>;
  void SetDeviceRunner(DeviceRunner runner);

 private:
  void RunOnMouse(std::function<void(CKalvexMouseDevice&)> work, std::function<void()> done = nullptr);
  /// Runs a panel action that saves and writes the settings record, then shows
  /// the options as the mouse has them.
  void RunStageAction(std::function<int(CKalvexMouseDevice&)> action);
  void TakeProfile(const std::string& uuid);
  void RefreshKeyTexts(const std::vector<KeyListEntry>& list, const std::vector<std::string>& macro_names,
                       const std::array<bool, kButtonCount>& present);

  // DevicePage
  [[nodiscard]] CBasicProfiledata& EditedProfile() override;
  /// Either follow-up of the profile panel gives the mouse the active profile.
  void FollowProfilePanel(CDeviceProfileUI::Follow follow) override;
  void TakeActiveProfile() override;
  void ReloadAfterReset() override;
  void StoreKeySetEntry() override;
  void ApplyMacroChanges(bool active_keys_changed) override;
  void ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) override;

  CKalvexMouseDevice& device_;
  QPointer<MouseOptionsPanel> options_;
  QPointer<CShootControlUI> shoot_;
  QPointer<CSelectPanelUI> picture_panel_;
  std::unique_ptr<MousePicture> picture_;
};

}  // namespace zt640
