#include "platform/audio/alsa_mixer_layer.h"

#include <alsa/asoundlib.h>

#include <utility>

namespace zt640::platform {

/// Owns the alsa-lib mixer handle.
struct AlsaMixerLayer::Handle {
  snd_mixer_t* mixer = nullptr;
  ~Handle() {
    if (mixer != nullptr) snd_mixer_close(mixer);
  }
  /// The element of that name (index 0), after taking in the card's news.
  snd_mixer_elem_t* Find(const std::string& name) const {
    (void)snd_mixer_handle_events(mixer);  // a failure leaves the last known state
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, name.c_str());
    return snd_mixer_find_selem(mixer, id);
  }
};

std::unique_ptr<AlsaMixerLayer> AlsaMixerLayer::Open(int card) {
  auto handle = std::make_unique<Handle>();
  const std::string device = "hw:" + std::to_string(card);
  if (snd_mixer_open(&handle->mixer, 0) < 0) {
    handle->mixer = nullptr;
    return nullptr;
  }
  if (snd_mixer_attach(handle->mixer, device.c_str()) < 0 || snd_mixer_selem_register(handle->mixer, nullptr, nullptr) < 0 ||
      snd_mixer_load(handle->mixer) < 0) {
    return nullptr;
  }
  return std::unique_ptr<AlsaMixerLayer>(new AlsaMixerLayer(std::move(handle)));
}

AlsaMixerLayer::AlsaMixerLayer(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

AlsaMixerLayer::~AlsaMixerLayer() = default;

std::vector<MixerElement> AlsaMixerLayer::Elements() {
  std::vector<MixerElement> elements;
  (void)snd_mixer_handle_events(handle_->mixer);
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(handle_->mixer); elem != nullptr; elem = snd_mixer_elem_next(elem)) {
    if (!snd_mixer_selem_is_active(elem) || snd_mixer_selem_get_index(elem) != 0) continue;
    MixerElement element;
    element.name = snd_mixer_selem_get_name(elem);
    element.playback_volume = snd_mixer_selem_has_playback_volume(elem) != 0;
    element.playback_switch = snd_mixer_selem_has_playback_switch(elem) != 0;
    element.capture_volume = snd_mixer_selem_has_capture_volume(elem) != 0;
    element.capture_switch = snd_mixer_selem_has_capture_switch(elem) != 0;
    elements.push_back(std::move(element));
  }
  return elements;
}

bool AlsaMixerLayer::Range(const std::string& element, MixerSide side, MixerRange* range) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const bool playback = side == MixerSide::kPlayback;
  const int got = playback ? snd_mixer_selem_get_playback_volume_range(elem, &range->minimum, &range->maximum)
                           : snd_mixer_selem_get_capture_volume_range(elem, &range->minimum, &range->maximum);
  if (got < 0 || range->maximum <= range->minimum) return false;
  long low = 0;
  long high = 0;
  const int db = playback ? snd_mixer_selem_get_playback_dB_range(elem, &low, &high)
                          : snd_mixer_selem_get_capture_dB_range(elem, &low, &high);
  range->minimum_centibels.reset();
  range->maximum_centibels.reset();
  if (db >= 0) {
    range->minimum_centibels = low;
    range->maximum_centibels = high;
  }
  return true;
}

bool AlsaMixerLayer::Volume(const std::string& element, MixerSide side, long* value) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  return (side == MixerSide::kPlayback ? snd_mixer_selem_get_playback_volume(elem, channel, value)
                                       : snd_mixer_selem_get_capture_volume(elem, channel, value)) >= 0;
}

bool AlsaMixerLayer::SetVolume(const std::string& element, MixerSide side, long value) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  return (side == MixerSide::kPlayback ? snd_mixer_selem_set_playback_volume_all(elem, value)
                                       : snd_mixer_selem_set_capture_volume_all(elem, value)) >= 0;
}

bool AlsaMixerLayer::Centibels(const std::string& element, MixerSide side, long* value) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  return (side == MixerSide::kPlayback ? snd_mixer_selem_get_playback_dB(elem, channel, value)
                                       : snd_mixer_selem_get_capture_dB(elem, channel, value)) >= 0;
}

bool AlsaMixerLayer::Switch(const std::string& element, MixerSide side, bool* on) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  int value = 0;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  const int got = side == MixerSide::kPlayback ? snd_mixer_selem_get_playback_switch(elem, channel, &value)
                                               : snd_mixer_selem_get_capture_switch(elem, channel, &value);
  if (got < 0) return false;
  *on = value != 0;
  return true;
}

bool AlsaMixerLayer::SetSwitch(const std::string& element, MixerSide side, bool on) {
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  return (side == MixerSide::kPlayback ? snd_mixer_selem_set_playback_switch_all(elem, on ? 1 : 0)
                                       : snd_mixer_selem_set_capture_switch_all(elem, on ? 1 : 0)) >= 0;
}

}  // namespace zt640::platform
