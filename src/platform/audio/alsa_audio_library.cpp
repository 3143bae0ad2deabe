#include "platform/audio/alsa_audio_library.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/audio/alsa_mixer_layer.h"
#include "platform/audio/audio_property_names.h"
#include "platform/audio/fake_audio_library.h"
#include "platform/hid/hid_root.h"

namespace zt640::platform {
namespace {

namespace property = audio_property;
namespace fs = std::filesystem;

constexpr uint32_t kRenderId = 1;
constexpr uint32_t kCaptureId = 2;
constexpr uint32_t kRenderKind = 1;
constexpr uint32_t kCaptureKind = 2;
/// Seven feature items, none set: the card has no voice changer.
constexpr char kNoFeatures[] = "0,0,0,0,0,0,0";
constexpr double kCentibelsPerDecibel = 100.0;

/// Control names tried first, in this order.
constexpr std::array<std::string_view, 4> kCaptureNames{"Mic", "Capture", "Headset", "Headset Mic"};
constexpr std::array<std::string_view, 4> kSidetoneNames{"Sidetone", "Mic", "Mic Playback", "Headset Sidetone"};

void PutText(AudioValueBuffer* value, const std::string& text) {
  value->fill(0);
  std::memcpy(value->data(), text.data(), std::min(text.size(), value->size() - 1));
}

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%f", value);
  return text;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

AlsaAudioLibrary::AlsaAudioLibrary(std::unique_ptr<MixerLayer> mixer) : mixer_(std::move(mixer)) {}

int AlsaAudioLibrary::ConfLibInit() {
  if (mixer_ == nullptr) return kFailed;
  ChooseControls();
  return kAudioCallOk;
}

int AlsaAudioLibrary::CreateDeviceList() {
  if (mixer_ == nullptr) return kFailed;
  ChooseControls();
  return kAudioCallOk;
}

void AlsaAudioLibrary::ChooseControls() {
  capture_.clear();
  sidetone_.clear();
  capture_volume_ = capture_switch_ = sidetone_volume_ = sidetone_switch_ = false;
  const std::vector<MixerElement> elements = mixer_->Elements();
  const auto pick = [&elements](auto names, auto wanted) -> const MixerElement* {
    for (std::string_view name : names) {
      for (const MixerElement& element : elements) {
        if (element.name == name && wanted(element)) return &element;
      }
    }
    return nullptr;
  };
  const auto captures = [](const MixerElement& e) { return e.capture_volume || e.capture_switch; };
  const auto plays = [](const MixerElement& e) { return e.playback_volume || e.playback_switch; };
  const MixerElement* capture = pick(kCaptureNames, captures);
  for (size_t i = 0; capture == nullptr && i < elements.size(); ++i) {
    if (captures(elements[i])) capture = &elements[i];
  }
  if (capture != nullptr) {
    capture_ = capture->name;
    capture_volume_ = capture->capture_volume;
    capture_switch_ = capture->capture_switch;
  }
  const MixerElement* sidetone = pick(kSidetoneNames, plays);
  for (size_t i = 0; sidetone == nullptr && i < elements.size(); ++i) {
    if (plays(elements[i]) && (Contains(elements[i].name, "Sidetone") || Contains(elements[i].name, "Mic"))) {
      sidetone = &elements[i];
    }
  }
  if (sidetone != nullptr) {
    sidetone_ = sidetone->name;
    sidetone_volume_ = sidetone->playback_volume;
    sidetone_switch_ = sidetone->playback_switch;
  }
}

int AlsaAudioLibrary::GetDeviceCount(AudioFlow flow, uint32_t* count) {
  if (count == nullptr) return kFailed;
  *count = 0;
  if (mixer_ == nullptr) return kFailed;
  *count = flow == AudioFlow::kRender || !capture_.empty() ? 1 : 0;
  return kAudioCallOk;
}

int AlsaAudioLibrary::GetDeviceById(AudioFlow flow, uint32_t index, AudioEndpointRecord* record) {
  uint32_t count = 0;
  if (record == nullptr || GetDeviceCount(flow, &count) != kAudioCallOk || index >= count) return kFailed;
  *record = flow == AudioFlow::kRender ? AudioEndpointRecord{kRenderId, kRenderKind, 0, AudioEndpointRecord::kUsable}
                                       : AudioEndpointRecord{kCaptureId, kCaptureKind, 0, AudioEndpointRecord::kUsable};
  return kAudioCallOk;
}

int AlsaAudioLibrary::PropertyControl(AudioEndpointRecord endpoint, std::string_view name, AudioValueBuffer* value,
                                      AudioValueBuffer* /*channel*/, PropertyDirection direction) {
  if (mixer_ == nullptr || value == nullptr) return kFailed;
  const bool read = direction == PropertyDirection::kRead;
  if (name == property::kSupportFeature) {
    if (!read) return kUnsupported;
    PutText(value, kNoFeatures);
    return kAudioCallOk;
  }
  // The render side of the chip (equaliser, surround, environment) has no mixer counterpart.
  if (endpoint.id != kCaptureId) return kUnsupported;
  const Control microphone{&capture_, MixerSide::kCapture, capture_volume_, capture_switch_};
  const Control monitor{&sidetone_, MixerSide::kPlayback, sidetone_volume_, sidetone_switch_};
  using Entry = std::pair<std::string_view, std::string_view>;  // property, the control's own name for it
  constexpr std::array<Entry, 12> kMap{{
      {property::kMute, "mute"},
      {property::kVolumeScalar, "scalar"},
      {property::kVolume, "decibels"},
      {property::kMaxVolume, "max"},
      {property::kMinVolume, "min"},
      {property::kVolumeStep, "step"},
      {property::kMonitorMute, "mute"},
      {property::kMonitorVolumeScalar, "scalar"},
      {property::kMonitorVolume, "decibels"},
      {property::kMonitorMaxVolume, "max"},
      {property::kMonitorMinVolume, "min"},
      {property::kMonitorVolumeStep, "step"},
  }};
  for (size_t i = 0; i < kMap.size(); ++i) {
    if (kMap[i].first != name) continue;
    const Control& control = i < kMap.size() / 2 ? microphone : monitor;
    if (control.element->empty()) return kUnsupported;
    return read ? Read(control, kMap[i].second, value) : Write(control, kMap[i].second, *value);
  }
  return kUnsupported;
}

int AlsaAudioLibrary::Read(const Control& control, std::string_view what, AudioValueBuffer* value) {
  const std::string& element = *control.element;
  if (what == "mute") {
    bool on = false;
    if (!control.has_switch || !mixer_->Switch(element, control.side, &on)) return kFailed;
    PutText(value, on ? "0" : "1");
    return kAudioCallOk;
  }
  if (!control.has_volume) return kUnsupported;
  MixerRange range;
  if (!mixer_->Range(element, control.side, &range)) return kFailed;
  if (what == "scalar") {
    long raw = 0;
    if (!mixer_->Volume(element, control.side, &raw)) return kFailed;
    PutText(value, Decimal(static_cast<double>(raw - range.minimum) / static_cast<double>(range.maximum - range.minimum)));
    return kAudioCallOk;
  }
  if (what == "decibels") {
    long centibels = 0;
    if (!mixer_->Centibels(element, control.side, &centibels)) return kFailed;
    PutText(value, Decimal(static_cast<double>(centibels) / kCentibelsPerDecibel));
    return kAudioCallOk;
  }
  // The range in decibels where the card gives one, else in its own steps.
  const bool decibels = range.minimum_centibels && range.maximum_centibels;
  const double low = decibels ? static_cast<double>(*range.minimum_centibels) / kCentibelsPerDecibel
                              : static_cast<double>(range.minimum);
  const double high = decibels ? static_cast<double>(*range.maximum_centibels) / kCentibelsPerDecibel
                               : static_cast<double>(range.maximum);
  const double step = (high - low) / static_cast<double>(range.maximum - range.minimum);
  PutText(value, Decimal(what == "max" ? high : what == "min" ? low : step));
  return kAudioCallOk;
}

int AlsaAudioLibrary::Write(const Control& control, std::string_view what, const AudioValueBuffer& value) {
  const std::string& element = *control.element;
  if (what == "mute") {
    int32_t muted = 0;
    std::memcpy(&muted, value.data(), sizeof(muted));
    if (!control.has_switch) return kUnsupported;
    return mixer_->SetSwitch(element, control.side, muted == 0) ? kAudioCallOk : kFailed;
  }
  if (what != "scalar" || !control.has_volume) return kUnsupported;
  float fraction = 0;
  std::memcpy(&fraction, value.data(), sizeof(fraction));
  if (!std::isfinite(fraction)) return kFailed;
  MixerRange range;
  if (!mixer_->Range(element, control.side, &range)) return kFailed;
  const double clamped = std::clamp(static_cast<double>(fraction), 0.0, 1.0);
  const long raw = range.minimum + std::lround(clamped * static_cast<double>(range.maximum - range.minimum));
  return mixer_->SetVolume(element, control.side, raw) ? kAudioCallOk : kFailed;
}

std::optional<int> FindHeadsetSoundCard(const std::string& root, const std::string& hid_interface_path) {
  // "/dev/hidrawN#..." names the node; its sysfs device folder lies under the USB device.
  std::string node = hid_interface_path.substr(0, hid_interface_path.find('#'));
  node = node.substr(node.find_last_of('/') + 1);
  if (node.rfind("hidraw", 0) != 0) return std::nullopt;
  std::error_code ec;
  const fs::path sys = fs::path(root) / "sys/class";
  const fs::path hid = fs::canonical(sys / "hidraw" / node / "device", ec);
  if (ec) return std::nullopt;
  const fs::path usb_device = hid.parent_path().parent_path();
  for (const fs::directory_entry& entry : fs::directory_iterator(sys / "sound", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("card", 0) != 0 || name.size() == 4) continue;
    std::error_code card_ec;
    const fs::path card_interface = fs::canonical(entry.path() / "device", card_ec);
    if (card_ec || card_interface.parent_path() != usb_device) continue;
    int number = 0;
    if (std::sscanf(name.c_str() + 4, "%d", &number) == 1) return number;
  }
  return std::nullopt;
}

std::unique_ptr<AudioControlLibrary> MakeHeadsetAudioLibrary(AudioBackend backend,
                                                            const std::string& hid_interface_path) {
  if (backend == AudioBackend::kFake) return std::make_unique<FakeAudioLibrary>();
  const auto card = FindHeadsetSoundCard(HidRoot(), hid_interface_path);
  std::unique_ptr<MixerLayer> mixer;
  if (card) mixer = AlsaMixerLayer::Open(*card);
  return std::make_unique<AlsaAudioLibrary>(std::move(mixer));
}

}  // namespace zt640::platform
