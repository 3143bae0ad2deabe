#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/audio/audio_control_library.h"
#include "platform/audio/mixer_layer.h"

namespace zt640::platform {

/// The headset's audio-control layer on the mixer of its own USB sound card:
/// microphone volume and mute on the card's capture control, monitor
/// ("AA") volume and mute on its sidetone control (on USB audio cards the
/// "Mic" playback control) where the card has one. Every property the card
/// cannot serve (equaliser, voice changer, surround, noise cancelling)
/// answers failure, so the headset keeps its values. Without a mixer (no card
/// found) initialisation fails and no endpoint is listed.
class AlsaAudioLibrary final : public AudioControlLibrary {
 public:
  static constexpr int kFailed = -1;
  static constexpr int kUnsupported = -2;

  explicit AlsaAudioLibrary(std::unique_ptr<MixerLayer> mixer);

  [[nodiscard]] int ConfLibInit() override;
  [[nodiscard]] int CreateDeviceList() override;
  [[nodiscard]] int GetDeviceCount(AudioFlow flow, uint32_t* count) override;
  [[nodiscard]] int GetDeviceById(AudioFlow flow, uint32_t index, AudioEndpointRecord* record) override;
  [[nodiscard]] int PropertyControl(AudioEndpointRecord endpoint, std::string_view name, AudioValueBuffer* value,
                                    AudioValueBuffer* channel, PropertyDirection direction) override;

  /// The controls chosen for the microphone and the monitor ("" none).
  [[nodiscard]] const std::string& CaptureControl() const { return capture_; }
  [[nodiscard]] const std::string& SidetoneControl() const { return sidetone_; }

 private:
  /// One volume-and-mute pair on one side of one control.
  struct Control {
    const std::string* element;
    MixerSide side;
    bool has_volume;
    bool has_switch;
  };
  void ChooseControls();
  int Read(const Control& control, std::string_view name, AudioValueBuffer* value);
  int Write(const Control& control, std::string_view name, const AudioValueBuffer& value);

  std::unique_ptr<MixerLayer> mixer_;
  std::string capture_;
  bool capture_volume_ = false;
  bool capture_switch_ = false;
  std::string sidetone_;
  bool sidetone_volume_ = false;
  bool sidetone_switch_ = false;
};

/// The number N of the ALSA card (/sys/class/sound/cardN) whose USB device is
/// the one the hidraw node of `hid_interface_path` belongs to, under the sysfs
/// root `root`; nullopt when there is none.
[[nodiscard]] std::optional<int> FindHeadsetSoundCard(const std::string& root, const std::string& hid_interface_path);

/// Which implementation of the headset's audio layer to use.
enum class AudioBackend { kAlsa, kFake };

/// The layer for the headset at `hid_interface_path`: the ALSA mixer of its
/// sound card (without a card, a layer whose initialisation fails), or the
/// in-memory fake.
[[nodiscard]] std::unique_ptr<AudioControlLibrary> MakeHeadsetAudioLibrary(AudioBackend backend,
                                                                          const std::string& hid_interface_path);

}  // namespace zt640::platform
