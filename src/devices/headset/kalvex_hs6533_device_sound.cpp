#include <algorithm>
#include <cctype>

#include "devices/headset/kalvex_hs6533_device.h"
#include "platform/audio/audio_property_names.h"
#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

namespace property = platform::audio_property;
using platform::AudioFlow;

constexpr int kMaxPercent = 100;
constexpr int kVoiceEffects = 4;

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

void CKalvexHS6533Device::StoreSound() {
  Profile().SetHeadsetOptions(sound_);
  if (!SaveProfileData()) platform::DebugOutput("headset profile not saved: " + Profile().GetProfilePath());
}

SoundActionResult CKalvexHS6533Device::SetMicrophoneVolume(int percent) { return SetVolume(false, percent); }
SoundActionResult CKalvexHS6533Device::SetMonitorVolume(int percent) { return SetVolume(true, percent); }
SoundActionResult CKalvexHS6533Device::SetMicrophoneOn(bool on) { return SetOn(false, on); }
SoundActionResult CKalvexHS6533Device::SetMonitorOn(bool on) { return SetOn(true, on); }

SoundActionResult CKalvexHS6533Device::SetVolume(bool monitor, int percent) {
  const int value = std::clamp(percent, 0, kMaxPercent);
  const bool written =
      AudioReady() && (!monitor || monitor_present_) &&
      (monitor ? audio_->WriteFloat(AudioFlow::kCapture, property::kMonitorVolumeScalar,
                                    static_cast<float>(value) / kMaxPercent, property::kChannel0)
               : audio_->WriteFloat(AudioFlow::kCapture, property::kVolumeScalar,
                                    static_cast<float>(value) / kMaxPercent, property::kMasterChannel));
  if (!written) {
    HeadsetSink().ShowSound(sound_);  // the slider goes back to the value kept
    return SoundActionResult::kUnavailable;
  }
  const auto decibels = monitor ? audio_->ReadNumber(AudioFlow::kCapture, property::kMonitorVolume, property::kChannel1)
                                : audio_->ReadNumber(AudioFlow::kCapture, property::kVolume, property::kMasterChannel);
  if (decibels) {
    (monitor ? monitor_decibels_ : mic_decibels_) = decibels;
    HeadsetSink().ShowDecibels(monitor, *decibels);
  }
  (monitor ? sound_.mic_monitor_value : sound_.mic_in_value) = value;
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::SetOn(bool monitor, bool on) {
  const int32_t muted = on ? 0 : 1;
  const bool written = AudioReady() && (!monitor || monitor_present_) &&
                       audio_->WriteInteger(AudioFlow::kCapture, monitor ? property::kMonitorMute : property::kMute,
                                            muted);
  if (!written) {
    // The box shows the state kept, not the one asked for.
    HeadsetSink().ShowSound(sound_);
    return SoundActionResult::kUnavailable;
  }
  (monitor ? sound_.mic_monitor_select : sound_.mic_in_select) = on ? 1 : 0;
  HeadsetSink().ShowSound(sound_);
  StoreSound();
  return SoundActionResult::kDone;
}

bool CKalvexHS6533Device::WriteAllBands(const EqBands& bands) {
  if (!AudioReady() || !audio_->WriteInteger(AudioFlow::kRender, property::kEqualiserEnable, 1)) return false;
  bool all = true;
  for (size_t k = 0; k < bands.size(); ++k) {
    // Every band is tried; one refusal still leaves the others written.
    all = audio_->WriteInteger(AudioFlow::kRender, property::EqualiserSlider(static_cast<int>(k) + 1), bands[k]) && all;
  }
  return all;
}

SoundActionResult CKalvexHS6533Device::ChooseEqualiser(int option) {
  if (option == HeadsetEqualiser::kCustomType) {
    sound_.eq_type = HeadsetEqualiser::kCustomType;
    HeadsetSink().ShowSound(sound_);
    const int selected = sound_.custom_eq_index;
    if (selected >= 0 && static_cast<size_t>(selected) < curve_names_.size()) return ChooseCustomCurve(selected);
    StoreSound();
    return SoundActionResult::kDone;
  }
  const auto gains = HeadsetEqualiser::PresetGains(option);
  if (!gains) return SoundActionResult::kNothing;
  if (!WriteAllBands(*gains)) {
    HeadsetSink().ShowSound(sound_);
    HeadsetSink().ShowBands(bands_);
    return SoundActionResult::kUnavailable;
  }
  bands_ = *gains;
  sound_.eq_type = option;
  HeadsetSink().ShowBands(bands_);
  HeadsetSink().ShowSound(sound_);
  Profile().SetEqValues(option, bands_);
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::MoveBand(int band, int gain) {
  if (band < 0 || band >= kEqBandCount) return SoundActionResult::kNothing;
  if (!AudioReady()) {
    HeadsetSink().ShowBands(bands_);
    return SoundActionResult::kUnavailable;
  }
  if (sound_.eq_type != HeadsetEqualiser::kCustomType) {
    sound_.eq_type = HeadsetEqualiser::kCustomType;
    sound_.custom_eq_index = HeadsetEqualiser::kNoCurve;
    HeadsetSink().ShowSound(sound_);
    ShowCurves();
  }
  // Only the band is written; the profile changes when a curve is saved.
  if (!audio_->WriteInteger(AudioFlow::kRender, property::EqualiserSlider(band + 1), gain)) {
    HeadsetSink().ShowBands(bands_);
    return SoundActionResult::kUnavailable;
  }
  bands_[static_cast<size_t>(band)] = gain;
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::ChooseCustomCurve(int index) {
  if (index < 0 || static_cast<size_t>(index) >= curve_gains_.size()) return SoundActionResult::kNothing;
  const EqBands gains = curve_gains_[static_cast<size_t>(index)];
  if (!WriteAllBands(gains)) {
    ShowCurves();
    HeadsetSink().ShowBands(bands_);
    return SoundActionResult::kUnavailable;
  }
  bands_ = gains;
  sound_.custom_eq_index = index;
  HeadsetSink().ShowBands(bands_);
  ShowCurves();
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::SaveCustomCurve() {
  CHs6533Profiledata& profile = Profile();
  if (curve_name_text_.empty()) {
    const int selected = sound_.custom_eq_index;
    if (selected < 0 || static_cast<size_t>(selected) >= curve_gains_.size()) return SoundActionResult::kNothing;
    curve_gains_[static_cast<size_t>(selected)] = bands_;
    profile.SetCustomEqValues(selected, bands_);
    StoreSound();
    return SoundActionResult::kDone;
  }
  if (curve_names_.size() >= HeadsetEqualiser::kMaxCustomCurves) return SoundActionResult::kRefusedFull;
  const bool taken = std::any_of(curve_names_.begin(), curve_names_.end(), [this](const std::string& name) {
    return SameNameIgnoringCase(name, curve_name_text_);
  });
  if (taken) {
    HeadsetSink().ShowMessage(kDuplicateNameMessage);
    return SoundActionResult::kRefusedDuplicate;
  }
  curve_names_.push_back(curve_name_text_);
  curve_gains_.push_back(bands_);
  const auto position = static_cast<int32_t>(curve_names_.size() - 1);
  sound_.custom_eq_index = position;
  profile.SetCustomEqNames(curve_names_);
  profile.SetCustomEqValues(position, bands_);
  ShowCurves();
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::DeleteCustomCurve() {
  const int selected = sound_.custom_eq_index;
  if (selected < 0 || static_cast<size_t>(selected) >= curve_names_.size()) return SoundActionResult::kNothing;
  CHs6533Profiledata& profile = Profile();
  curve_names_.erase(curve_names_.begin() + selected);
  curve_gains_.erase(curve_gains_.begin() + selected);
  sound_.custom_eq_index = HeadsetEqualiser::kNoCurve;
  profile.SetCustomEqNames(curve_names_);
  // The gains move up with their names, so each name keeps its own curve.
  for (size_t i = static_cast<size_t>(selected); i < curve_gains_.size(); ++i) {
    profile.SetCustomEqValues(static_cast<int32_t>(i), curve_gains_[i]);
  }
  if (curve_names_.empty()) {
    sound_.eq_type = HeadsetEqualiser::kFirstPreset;
    bands_ = EqBands{};
    const std::vector<int32_t> stored = profile.GetEqValues(HeadsetEqualiser::kFirstPreset);
    std::copy_n(stored.begin(), std::min(stored.size(), bands_.size()), bands_.begin());
    HeadsetSink().ShowBands(bands_);
  }
  HeadsetSink().ShowSound(sound_);
  ShowCurves();
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::SetVoiceChanger(bool on) {
  if (!AudioReady() || !audio_->WriteInteger(AudioFlow::kCapture, property::kVoiceChangerEnable, on ? 1 : 0)) {
    HeadsetSink().ShowSound(sound_);
    return SoundActionResult::kUnavailable;
  }
  if (on && !audio_->WriteInteger(AudioFlow::kCapture, property::kMicEchoEnable, 0)) {
    platform::DebugOutput("headset microphone echo not switched off");
  }
  sound_.magic_enable = on ? 1 : 0;
  HeadsetSink().ShowSound(sound_);
  StoreSound();
  return SoundActionResult::kDone;
}

SoundActionResult CKalvexHS6533Device::ChooseVoiceEffect(int effect) {
  if (effect < 1 || effect > kVoiceEffects) return SoundActionResult::kNothing;
  if (!AudioReady() || !audio_->WriteInteger(AudioFlow::kCapture, property::kVoiceChangerSelection, effect - 1)) {
    HeadsetSink().ShowSound(sound_);
    return SoundActionResult::kUnavailable;
  }
  sound_.magic_type = effect;
  HeadsetSink().ShowSound(sound_);
  StoreSound();
  return SoundActionResult::kDone;
}

}  // namespace zt640
