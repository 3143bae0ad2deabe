#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "devices/headset/headset_panel_sink.h"
#include "pages/headset/magic_control_ui.h"
#include "pages/headset/voice6533_control_ui.h"
#include "pages/lighting_device_page.h"

namespace zt640 {

class CKalvexHS6533Device;
enum class SoundActionResult;

/// The headset's page: its drawn headset with the live zone colours, the
/// profile row, the lighting editor, the sound panel (equaliser, custom
/// curves, microphone and monitor) and the voice changer panel; and what the
/// main window's routes do on them. It is the headset's panel sink and its
/// sound panel sink.
///
/// Every sound edit goes to the headset's runner as one task, behind the edits
/// before it; what the headset shows of it comes back through the sound panel
/// sink, which may be called from the runner's thread and shows on the UI
/// thread. It has no Qt parent: whoever creates it owns it.
class HeadsetPage final : public LightingDevicePage, public HeadsetPanelSink {
  Q_OBJECT
 public:
  HeadsetPage(QWidget* page, CKalvexHS6533Device& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts);
  ~HeadsetPage() override;

  /// Loads the profile list (the headset takes its active profile) and shows
  /// its lighting and sound state.
  void LoadPanels();

  [[nodiscard]] CKalvexHS6533Device& Device() const { return device_; }
  [[nodiscard]] CVoice6533ControlUI* SoundPanel() const { return sound_; }
  [[nodiscard]] CMagicControlUI* VoicePanel() const { return voice_; }

  // What the main window's routes do on this page.
  /// "6533_eq_option_" 1-13, "6533_MicIn_option", "6533_MicMoniter_option",
  /// "magic_enable_option", "magic_option_" 1-4.
  void OnSoundSelectChanged(const QString& name, bool checked);
  /// "6533_eq_hz_slider_" 0-9, "6533_MicIn_slider", "6533_MicMoniter_slider".
  void OnSoundValueChanged(const QString& name, int value);
  /// An entry of "custom_eq_name_combo" was chosen.
  void OnCurveSelected(int index);
  /// "hs_EQ_btn_save" (with the name field's text) or "hs_EQ_btn_delete".
  void OnCurveClick(const QString& name);

  // HeadsetPanelSink: any thread.
  void ShowSound(const HeadsetOptions& options) override;
  void ShowBands(const EqBands& bands) override;
  void ShowCustomCurves(const std::vector<std::string>& names, int selected) override;
  void ShowDecibels(bool monitor, double decibels) override;
  void ShowMessage(const std::string& key) override;

 private:
  /// Runs a sound action on the headset's runner; its refusals are logged.
  void RunSound(const char* what, std::function<SoundActionResult(CKalvexHS6533Device&)> action);
  /// Runs `show` on the UI thread: at once when called there, else queued.
  void OnUiThread(std::function<void()> show);

  CKalvexHS6533Device& device_;
  QPointer<CVoice6533ControlUI> sound_;
  QPointer<CMagicControlUI> voice_;
};

}  // namespace zt640
