#include "platform/audio/alsa_library.h"

#include "platform/diag/debug_output.h"

namespace zt640::platform {

std::unique_ptr<AlsaLibrary> AlsaLibrary::Open(const std::string& file_name, std::string* reason) {
  std::unique_ptr<AlsaLibrary> alsa(new AlsaLibrary());
  alsa->library_ = DynamicLibrary::Open(file_name, reason);
  if (!alsa->library_) return nullptr;
  const DynamicLibrary& library = *alsa->library_;
  std::string missing;
  const auto bind = [&library, &missing](const char* name, auto& target) {
    if (library.Bind(name, target)) return true;
    missing = name;
    return false;
  };
  const bool complete =
      bind("snd_mixer_open", alsa->mixer_open) &&
      bind("snd_mixer_close", alsa->mixer_close) &&
      bind("snd_mixer_attach", alsa->mixer_attach) &&
      bind("snd_mixer_selem_register", alsa->mixer_selem_register) &&
      bind("snd_mixer_load", alsa->mixer_load) &&
      bind("snd_mixer_handle_events", alsa->mixer_handle_events) &&
      bind("snd_mixer_first_elem", alsa->mixer_first_elem) &&
      bind("snd_mixer_elem_next", alsa->mixer_elem_next) &&
      bind("snd_mixer_find_selem", alsa->mixer_find_selem) &&
      bind("snd_mixer_selem_id_malloc", alsa->mixer_selem_id_malloc) &&
      bind("snd_mixer_selem_id_free", alsa->mixer_selem_id_free) &&
      bind("snd_mixer_selem_id_set_index", alsa->mixer_selem_id_set_index) &&
      bind("snd_mixer_selem_id_set_name", alsa->mixer_selem_id_set_name) &&
      bind("snd_mixer_selem_is_active", alsa->mixer_selem_is_active) &&
      bind("snd_mixer_selem_get_index", alsa->mixer_selem_get_index) &&
      bind("snd_mixer_selem_get_name", alsa->mixer_selem_get_name) &&
      bind("snd_mixer_selem_has_playback_volume", alsa->mixer_selem_has_playback_volume) &&
      bind("snd_mixer_selem_has_playback_switch", alsa->mixer_selem_has_playback_switch) &&
      bind("snd_mixer_selem_has_capture_volume", alsa->mixer_selem_has_capture_volume) &&
      bind("snd_mixer_selem_has_capture_switch", alsa->mixer_selem_has_capture_switch) &&
      bind("snd_mixer_selem_get_playback_volume_range", alsa->mixer_selem_get_playback_volume_range) &&
      bind("snd_mixer_selem_get_capture_volume_range", alsa->mixer_selem_get_capture_volume_range) &&
      bind("snd_mixer_selem_get_playback_dB_range", alsa->mixer_selem_get_playback_dB_range) &&
      bind("snd_mixer_selem_get_capture_dB_range", alsa->mixer_selem_get_capture_dB_range) &&
      bind("snd_mixer_selem_get_playback_volume", alsa->mixer_selem_get_playback_volume) &&
      bind("snd_mixer_selem_get_capture_volume", alsa->mixer_selem_get_capture_volume) &&
      bind("snd_mixer_selem_set_playback_volume_all", alsa->mixer_selem_set_playback_volume_all) &&
      bind("snd_mixer_selem_set_capture_volume_all", alsa->mixer_selem_set_capture_volume_all) &&
      bind("snd_mixer_selem_get_playback_dB", alsa->mixer_selem_get_playback_dB) &&
      bind("snd_mixer_selem_get_capture_dB", alsa->mixer_selem_get_capture_dB) &&
      bind("snd_mixer_selem_get_playback_switch", alsa->mixer_selem_get_playback_switch) &&
      bind("snd_mixer_selem_get_capture_switch", alsa->mixer_selem_get_capture_switch) &&
      bind("snd_mixer_selem_set_playback_switch_all", alsa->mixer_selem_set_playback_switch_all) &&
      bind("snd_mixer_selem_set_capture_switch_all", alsa->mixer_selem_set_capture_switch_all);
  if (!complete) {
    if (reason != nullptr) *reason = file_name + " lacks " + missing;
    return nullptr;  // the library is closed again with the binding
  }
  return alsa;
}

AlsaLibrary::~AlsaLibrary() = default;

const AlsaLibrary* AlsaLibrary::Shared() {
  // Never closed: a mixer may be in use on any thread until the end of the process.
  static const AlsaLibrary* const shared = [] {
    std::string reason;
    std::unique_ptr<AlsaLibrary> library = Open(kFileName, &reason);
    if (!library) DebugOutput("no headset mixer: " + reason);
    return library.release();
  }();
  return shared;
}

}  // namespace zt640::platform
