#include "devices/headset/kalvex_hs6533_device.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/audio/audio_property_names.h"
#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

namespace property = platform::audio_property;
using platform::AudioFlow;

/// Ten gains from a profile list; missing bands read as 0.
EqBands ToBands(const std::vector<int32_t>& values) {
  EqBands bands{};
  std::copy_n(values.begin(), std::min(values.size(), bands.size()), bands.begin());
  return bands;
}

}  // namespace

CKalvexHS6533Device::CKalvexHS6533Device(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink,
                                         std::unique_ptr<platform::HeadsetAudioBinding> audio,
                                         std::unique_ptr<ZoneEffectRenderer> renderer)
    : CKalvexLightingDevice(std::move(folders), std::move(folder_name), InterfaceCatalogue::kHeadsetType,
                            std::make_unique<CHs6533Profiledata>(), sink, std::move(renderer)),
      audio_(std::move(audio)) {
  // Until a profile is chosen the device shows the default profile.
  LoadProfileState();
}

CKalvexHS6533Device::~CKalvexHS6533Device() = default;

void CKalvexHS6533Device::SetHeadsetSink(HeadsetPanelSink* sink) {
  headset_sink_ = sink != nullptr ? sink : &null_headset_sink_;
}

void CKalvexHS6533Device::BuildKeyControls(int key_count) {
  CKalvexUSBDevice::BuildKeyControls(key_count);
  StartAudio();
}

void CKalvexHS6533Device::StartAudio() {
  if (audio_started_ || audio_ == nullptr) return;
  audio_started_ = true;
  if (!audio_->StartUp()) {
    platform::DebugOutput("headset sound settings unavailable");
    return;
  }
  ReadAudioState();
}

void CKalvexHS6533Device::ReplaceAudio(std::unique_ptr<platform::HeadsetAudioBinding> audio) {
  audio_ = std::move(audio);
  audio_started_ = false;
  monitor_present_ = false;
  StartAudio();
  HeadsetSink().ShowSound(sound_);
}

void CKalvexHS6533Device::ReadAudioState() {
  if (!AudioReady()) return;
  if (const auto muted = audio_->ReadInteger(AudioFlow::kCapture, property::kMute)) {
    sound_.mic_in_select = *muted == 0 ? 1 : 0;
  }
  if (const auto volume = audio_->ReadNumber(AudioFlow::kCapture, property::kVolumeScalar, property::kMasterChannel)) {
    sound_.mic_in_value = static_cast<int32_t>(std::lround(*volume * 100));
  }
  mic_decibels_ = audio_->ReadNumber(AudioFlow::kCapture, property::kVolume, property::kMasterChannel);
  monitor_present_ = audio_->ReadNumber(AudioFlow::kCapture, property::kMonitorMaxVolume).has_value();
  if (monitor_present_) {
    if (const auto muted = audio_->ReadInteger(AudioFlow::kCapture, property::kMonitorMute)) {
      sound_.mic_monitor_select = *muted == 0 ? 1 : 0;
    }
    if (const auto volume =
            audio_->ReadNumber(AudioFlow::kCapture, property::kMonitorVolumeScalar, property::kChannel0)) {
      sound_.mic_monitor_value = static_cast<int32_t>(std::lround(*volume * 100));
    }
    monitor_decibels_ = audio_->ReadNumber(AudioFlow::kCapture, property::kMonitorVolume, property::kChannel0);
  }
  if ((audio_->Features(AudioFlow::kCapture)[0] & property::kVoiceChangerFeatureBit) != 0) {
    if (const auto enabled = audio_->ReadInteger(AudioFlow::kCapture, property::kVoiceChangerEnable)) {
      sound_.magic_enable = *enabled != 0 ? 1 : 0;
    }
  }
}

void CKalvexHS6533Device::LoadProfileState() {
  LoadProfileFile();
  CHs6533Profiledata& profile = Profile();
  sound_ = profile.GetHeadsetOptions();
  curve_names_ = profile.GetCustomEqNames();
  curve_gains_.clear();
  for (size_t i = 0; i < curve_names_.size(); ++i) {
    curve_gains_.push_back(ToBands(profile.GetCustomEqValues(static_cast<int32_t>(i))));
  }
  const int selected = sound_.custom_eq_index;
  if (sound_.eq_type != HeadsetEqualiser::kCustomType) {
    bands_ = ToBands(profile.GetEqValues(sound_.eq_type));
  } else if (selected >= 0 && static_cast<size_t>(selected) < curve_gains_.size()) {
    bands_ = curve_gains_[static_cast<size_t>(selected)];
  } else {
    // A damaged profile selecting a curve it lacks shows flat bands.
    bands_ = EqBands{};
  }
}

void CKalvexHS6533Device::ApplyProfileState() {
  LoadNameLists();
  Sink().ShowLightState(effect_);
  HeadsetSink().ShowSound(sound_);
  ShowCurves();
  HeadsetSink().ShowBands(bands_);
}

void CKalvexHS6533Device::ReadDevice() {
  LoadProfileState();
  ReadAudioState();
  ApplyProfileState();
  StartLightWorker();
}

void CKalvexHS6533Device::ShowCurves() {
  // Selecting an entry of the list empties the name field.
  curve_name_text_.clear();
  HeadsetSink().ShowCustomCurves(curve_names_, sound_.custom_eq_index);
}

void CKalvexHS6533Device::SendLightFrame() {
  if (!HostLighting()) return;
  const auto [zones, generation] = FrameSnapshot();
  if (OnScreen()) ShowZones(zones);
  CommandChannel& channel = Channel();
  if (!channel.is_open() || channel.via_receiver()) {
    // The headset may have lost its picture: the next frame goes out whole.
    report_current_.fill(false);
    return;
  }
  // A frame already sent whole is not sent again until the worker renders anew.
  if (frame_sent_ && generation == last_sent_generation_) return;
  if (++frames_since_full_ >= kFullFrameEvery) {
    frames_since_full_ = 0;
    report_current_.fill(false);
  }
  const auto reports = BuildHeadsetLightFrame(zones);
  bool all_sent = true;
  for (size_t i = 0; i < reports.size(); ++i) {
    if (report_current_[i] && reports[i].bytes == last_reports_[i].bytes) continue;
    last_reports_[i] = reports[i];
    // A failed report does not stop the others; the next frame sends everything again.
    report_current_[i] = channel.SendOutputReport(reports[i].bytes) == CommandResult::kSuccess;
    all_sent = all_sent && report_current_[i];
  }
  if (!all_sent) report_current_.fill(false);
  frame_sent_ = all_sent;
  last_sent_generation_ = generation;
}

}  // namespace zt640
