#include "platform/audio/alsa_mixer_layer.h"

#include <memory>
#include <utility>

#include "platform/audio/alsa_library.h"

namespace zt640::platform {

namespace {
struct SelemIdFree {
  const AlsaLibrary* alsa = nullptr;
  void operator()(snd_mixer_selem_id_t* id) const { alsa->mixer_selem_id_free(id); }
};
}  // namespace

/// Owns the alsa-lib mixer handle.
struct AlsaMixerLayer::Handle {
  explicit Handle(const AlsaLibrary& library) : alsa(library) {}
  ~Handle() {
    if (mixer != nullptr) alsa.mixer_close(mixer);
  }
  /// The element of that name (index 0), after taking in the card's news.
  snd_mixer_elem_t* Find(const std::string& name) const {
    (void)alsa.mixer_handle_events(mixer);  // a failure leaves the last known state
    snd_mixer_selem_id_t* made = nullptr;
    if (alsa.mixer_selem_id_malloc(&made) < 0) return nullptr;
    const std::unique_ptr<snd_mixer_selem_id_t, SelemIdFree> id(made, SelemIdFree{&alsa});
    alsa.mixer_selem_id_set_index(id.get(), 0);
    alsa.mixer_selem_id_set_name(id.get(), name.c_str());
    return alsa.mixer_find_selem(mixer, id.get());
  }

  const AlsaLibrary& alsa;
  snd_mixer_t* mixer = nullptr;
};

std::unique_ptr<AlsaMixerLayer> AlsaMixerLayer::Open(int card) {
  const AlsaLibrary* alsa = AlsaLibrary::Shared();
  if (alsa == nullptr) return nullptr;
  auto handle = std::make_unique<Handle>(*alsa);
  const std::string device = "hw:" + std::to_string(card);
  if (alsa->mixer_open(&handle->mixer, 0) < 0) {
    handle->mixer = nullptr;
    return nullptr;
  }
  if (alsa->mixer_attach(handle->mixer, device.c_str()) < 0 ||
      alsa->mixer_selem_register(handle->mixer, nullptr, nullptr) < 0 || alsa->mixer_load(handle->mixer) < 0) {
    return nullptr;
  }
  return std::unique_ptr<AlsaMixerLayer>(new AlsaMixerLayer(std::move(handle)));
}

AlsaMixerLayer::AlsaMixerLayer(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

AlsaMixerLayer::~AlsaMixerLayer() = default;

std::vector<MixerElement> AlsaMixerLayer::Elements() {
  const AlsaLibrary& alsa = handle_->alsa;
  std::vector<MixerElement> elements;
  (void)alsa.mixer_handle_events(handle_->mixer);
  for (snd_mixer_elem_t* elem = alsa.mixer_first_elem(handle_->mixer); elem != nullptr;
       elem = alsa.mixer_elem_next(elem)) {
    if (!alsa.mixer_selem_is_active(elem) || alsa.mixer_selem_get_index(elem) != 0) continue;
    MixerElement element;
    element.name = alsa.mixer_selem_get_name(elem);
    element.playback_volume = alsa.mixer_selem_has_playback_volume(elem) != 0;
    element.playback_switch = alsa.mixer_selem_has_playback_switch(elem) != 0;
    element.capture_volume = alsa.mixer_selem_has_capture_volume(elem) != 0;
    element.capture_switch = alsa.mixer_selem_has_capture_switch(elem) != 0;
    elements.push_back(std::move(element));
  }
  return elements;
}

bool AlsaMixerLayer::Range(const std::string& element, MixerSide side, MixerRange* range) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const bool playback = side == MixerSide::kPlayback;
  const int got = playback ? alsa.mixer_selem_get_playback_volume_range(elem, &range->minimum, &range->maximum)
                           : alsa.mixer_selem_get_capture_volume_range(elem, &range->minimum, &range->maximum);
  if (got < 0 || range->maximum <= range->minimum) return false;
  long low = 0;
  long high = 0;
  const int db = playback ? alsa.mixer_selem_get_playback_dB_range(elem, &low, &high)
                          : alsa.mixer_selem_get_capture_dB_range(elem, &low, &high);
  range->minimum_centibels.reset();
  range->maximum_centibels.reset();
  if (db >= 0) {
    range->minimum_centibels = low;
    range->maximum_centibels = high;
  }
  return true;
}

bool AlsaMixerLayer::Volume(const std::string& element, MixerSide side, long* value) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  return (side == MixerSide::kPlayback ? alsa.mixer_selem_get_playback_volume(elem, channel, value)
                                       : alsa.mixer_selem_get_capture_volume(elem, channel, value)) >= 0;
}

bool AlsaMixerLayer::SetVolume(const std::string& element, MixerSide side, long value) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  return (side == MixerSide::kPlayback ? alsa.mixer_selem_set_playback_volume_all(elem, value)
                                       : alsa.mixer_selem_set_capture_volume_all(elem, value)) >= 0;
}

bool AlsaMixerLayer::Centibels(const std::string& element, MixerSide side, long* value) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  return (side == MixerSide::kPlayback ? alsa.mixer_selem_get_playback_dB(elem, channel, value)
                                       : alsa.mixer_selem_get_capture_dB(elem, channel, value)) >= 0;
}

bool AlsaMixerLayer::Switch(const std::string& element, MixerSide side, bool* on) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  int value = 0;
  const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
  const int got = side == MixerSide::kPlayback ? alsa.mixer_selem_get_playback_switch(elem, channel, &value)
                                               : alsa.mixer_selem_get_capture_switch(elem, channel, &value);
  if (got < 0) return false;
  *on = value != 0;
  return true;
}

bool AlsaMixerLayer::SetSwitch(const std::string& element, MixerSide side, bool on) {
  const AlsaLibrary& alsa = handle_->alsa;
  snd_mixer_elem_t* elem = handle_->Find(element);
  if (elem == nullptr) return false;
  return (side == MixerSide::kPlayback ? alsa.mixer_selem_set_playback_switch_all(elem, on ? 1 : 0)
                                       : alsa.mixer_selem_set_capture_switch_all(elem, on ? 1 : 0)) >= 0;
}

}  // namespace zt640::platform
