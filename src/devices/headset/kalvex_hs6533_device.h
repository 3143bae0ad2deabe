#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/headset/headset_equaliser.h"
#include "devices/headset/headset_light_report.h"
#include "devices/headset/headset_panel_sink.h"
#include "devices/kalvex_lighting_device.h"
#include "platform/audio/headset_audio_binding.h"
#include "profiles/hs6533_profiledata.h"

namespace zt640 {

/// What a sound action on the headset came to.
enum class SoundActionResult {
  kDone,            ///< changed, stored and saved (or, for a band, written)
  kNothing,         ///< an option that does nothing (0, or out of range)
  kUnavailable,     ///< no audio layer, or it refused the write: nothing changed
  kRefusedFull,     ///< a custom curve save with 20 curves present: nothing changed
  kRefusedDuplicate ///< a custom curve name already present ("message_text_5")
};

/// The USB headset (kind 7): sound through the audio binding (microphone and
/// monitor, ten-band equaliser with presets and up to 20 named custom curves,
/// voice changer), lighting as 17-byte output reports streamed by the host,
/// and the 21-byte lighting settings record over the command channel.
///
/// Sound actions run on the owner's thread and change the profile (saved)
/// only when the audio layer accepted them; without a layer they do nothing.
class CKalvexHS6533Device : public CKalvexLightingDevice {
 public:
  static constexpr char kDuplicateNameMessage[] = "message_text_5";

  CKalvexHS6533Device(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink = nullptr,
                      std::unique_ptr<platform::HeadsetAudioBinding> audio = nullptr,
                      std::unique_ptr<ZoneEffectRenderer> renderer = nullptr);
  ~CKalvexHS6533Device() override;

  [[nodiscard]] const char* GetClass() const override { return "KalvexHS6533Device"; }

  /// Builds the panel's key list, then starts the audio binding and reads its state.
  void BuildKeyControls(int key_count) override;
  /// Profile state, the audio state, the panels, and the lighting worker.
  void ReadDevice() override;
  /// The sound state, equaliser gains and custom curves from the profile.
  void LoadProfileState() override;
  void ApplyProfileState() override;
  /// Twelve output reports to the wired interface while host lighting is on.
  /// A frame the worker has not changed since it was last sent whole is not
  /// sent again, and a report equal to the last one that reached the headset
  /// for its target and block is left out, except that every kFullFrameEvery-th
  /// frame, and every frame after a failure or a closed channel, goes out whole.
  void SendLightFrame() override;
  static constexpr uint32_t kFullFrameEvery = 64;
  [[nodiscard]] bool StreamsHostFrames() const override { return HostLighting(); }

  void SetHeadsetSink(HeadsetPanelSink* sink);
  /// Starts the audio binding and reads the audio state (done once by BuildKeyControls).
  void StartAudio();
  /// Takes a new binding (the sound card is known only once the headset is
  /// plugged), starts it and shows the sound state it reads.
  void ReplaceAudio(std::unique_ptr<platform::HeadsetAudioBinding> audio);
  /// Reads microphone, monitor and voice changer state from the audio layer;
  /// each value only when its read succeeds.
  void ReadAudioState();

  // Sound actions.
  [[nodiscard]] SoundActionResult SetMicrophoneVolume(int percent);
  [[nodiscard]] SoundActionResult SetMonitorVolume(int percent);
  [[nodiscard]] SoundActionResult SetMicrophoneOn(bool on);
  [[nodiscard]] SoundActionResult SetMonitorOn(bool on);
  /// Option n: 1-12 a preset, 13 the custom panel with the selected curve, else nothing.
  [[nodiscard]] SoundActionResult ChooseEqualiser(int option);
  /// Band `band` (0-9) to `gain`; switches to custom with no curve selected.
  [[nodiscard]] SoundActionResult MoveBand(int band, int gain);
  [[nodiscard]] SoundActionResult ChooseCustomCurve(int index);
  /// The name field's text: empty stores the current gains into the selected
  /// curve, else adds a curve of that name.
  void SetCurveNameText(std::string text) { curve_name_text_ = std::move(text); }
  [[nodiscard]] const std::string& CurveNameText() const { return curve_name_text_; }
  [[nodiscard]] SoundActionResult SaveCustomCurve();
  [[nodiscard]] SoundActionResult DeleteCustomCurve();
  [[nodiscard]] SoundActionResult SetVoiceChanger(bool on);
  /// Effect 1-4; 0 and anything else do nothing.
  [[nodiscard]] SoundActionResult ChooseVoiceEffect(int effect);

  // State for the panels and the CLI.
  [[nodiscard]] const HeadsetOptions& Sound() const { return sound_; }
  [[nodiscard]] const EqBands& Bands() const { return bands_; }
  [[nodiscard]] const std::vector<std::string>& CustomCurveNames() const { return curve_names_; }
  [[nodiscard]] const std::vector<EqBands>& CustomCurveGains() const { return curve_gains_; }
  [[nodiscard]] bool AudioReady() const { return audio_ != nullptr && audio_->Ready(); }
  /// False when the audio layer has no monitor controls ("GetAAMaxVol" failed).
  [[nodiscard]] bool MonitorPresent() const { return monitor_present_; }
  [[nodiscard]] CHs6533Profiledata& Profile() { return static_cast<CHs6533Profiledata&>(BasicProfile()); }
  [[nodiscard]] std::optional<double> Decibels(bool monitor) const {
    return monitor ? monitor_decibels_ : mic_decibels_;
  }

 private:
  /// Stores the sound state in the profile and saves it.
  void StoreSound();
  /// Enables the equaliser and writes every band; false when a write failed.
  bool WriteAllBands(const EqBands& bands);
  [[nodiscard]] SoundActionResult SetVolume(bool monitor, int percent);
  [[nodiscard]] SoundActionResult SetOn(bool monitor, bool on);
  void ShowCurves();
  [[nodiscard]] HeadsetPanelSink& HeadsetSink() { return *headset_sink_; }

  std::unique_ptr<platform::HeadsetAudioBinding> audio_;
  bool audio_started_ = false;
  bool monitor_present_ = false;
  NullHeadsetPanelSink null_headset_sink_;
  HeadsetPanelSink* headset_sink_ = &null_headset_sink_;
  HeadsetOptions sound_;
  EqBands bands_{};
  std::vector<std::string> curve_names_;
  std::vector<EqBands> curve_gains_;
  std::string curve_name_text_;
  std::optional<double> mic_decibels_;
  std::optional<double> monitor_decibels_;
  uint64_t last_sent_generation_ = 0;
  bool frame_sent_ = false;
  /// The reports of the last frame, valid where the headset took them.
  std::array<HeadsetLightReport, HeadsetLightReport::kReportsPerFrame> last_reports_{};
  std::array<bool, HeadsetLightReport::kReportsPerFrame> report_current_{};
  uint32_t frames_since_full_ = 0;
};

}  // namespace zt640
