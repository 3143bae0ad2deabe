#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

#include "platform/dl/dynamic_library.h"

namespace zt640::platform {

/// alsa-lib's simple mixer, bound at run time. Only a connected headset's sound card
/// needs it, so the program does not link it and a start does not load it. The
/// members are alsa-lib's functions of the same names without the "snd_" prefix,
/// typed from its own header.
class AlsaLibrary {
 public:
  /// The file the shared binding loads: alsa-lib's run-time name.
  static constexpr const char* kFileName = "libasound.so.2";

  /// The process-wide binding, loaded by the first call from any thread and kept to
  /// the end of the process. Null when the library or one of its functions is
  /// missing (the reason goes to the diagnostics once); every later call answers the same.
  [[nodiscard]] static const AlsaLibrary* Shared();

  /// Loads `file_name` into a binding of its own. Null, with the reason in `reason`
  /// when given, when the file cannot be loaded or lacks one of the functions.
  [[nodiscard]] static std::unique_ptr<AlsaLibrary> Open(const std::string& file_name, std::string* reason = nullptr);

  AlsaLibrary(const AlsaLibrary&) = delete;
  AlsaLibrary& operator=(const AlsaLibrary&) = delete;
  ~AlsaLibrary();

  decltype(&::snd_mixer_open) mixer_open = nullptr;
  decltype(&::snd_mixer_close) mixer_close = nullptr;
  decltype(&::snd_mixer_attach) mixer_attach = nullptr;
  decltype(&::snd_mixer_selem_register) mixer_selem_register = nullptr;
  decltype(&::snd_mixer_load) mixer_load = nullptr;
  decltype(&::snd_mixer_handle_events) mixer_handle_events = nullptr;
  decltype(&::snd_mixer_first_elem) mixer_first_elem = nullptr;
  decltype(&::snd_mixer_elem_next) mixer_elem_next = nullptr;
  decltype(&::snd_mixer_find_selem) mixer_find_selem = nullptr;
  decltype(&::snd_mixer_selem_id_malloc) mixer_selem_id_malloc = nullptr;
  decltype(&::snd_mixer_selem_id_free) mixer_selem_id_free = nullptr;
  decltype(&::snd_mixer_selem_id_set_index) mixer_selem_id_set_index = nullptr;
  decltype(&::snd_mixer_selem_id_set_name) mixer_selem_id_set_name = nullptr;
  decltype(&::snd_mixer_selem_is_active) mixer_selem_is_active = nullptr;
  decltype(&::snd_mixer_selem_get_index) mixer_selem_get_index = nullptr;
  decltype(&::snd_mixer_selem_get_name) mixer_selem_get_name = nullptr;
  decltype(&::snd_mixer_selem_has_playback_volume) mixer_selem_has_playback_volume = nullptr;
  decltype(&::snd_mixer_selem_has_playback_switch) mixer_selem_has_playback_switch = nullptr;
  decltype(&::snd_mixer_selem_has_capture_volume) mixer_selem_has_capture_volume = nullptr;
  decltype(&::snd_mixer_selem_has_capture_switch) mixer_selem_has_capture_switch = nullptr;
  decltype(&::snd_mixer_selem_get_playback_volume_range) mixer_selem_get_playback_volume_range = nullptr;
  decltype(&::snd_mixer_selem_get_capture_volume_range) mixer_selem_get_capture_volume_range = nullptr;
  decltype(&::snd_mixer_selem_get_playback_dB_range) mixer_selem_get_playback_dB_range = nullptr;
  decltype(&::snd_mixer_selem_get_capture_dB_range) mixer_selem_get_capture_dB_range = nullptr;
  decltype(&::snd_mixer_selem_get_playback_volume) mixer_selem_get_playback_volume = nullptr;
  decltype(&::snd_mixer_selem_get_capture_volume) mixer_selem_get_capture_volume = nullptr;
  decltype(&::snd_mixer_selem_set_playback_volume_all) mixer_selem_set_playback_volume_all = nullptr;
  decltype(&::snd_mixer_selem_set_capture_volume_all) mixer_selem_set_capture_volume_all = nullptr;
  decltype(&::snd_mixer_selem_get_playback_dB) mixer_selem_get_playback_dB = nullptr;
  decltype(&::snd_mixer_selem_get_capture_dB) mixer_selem_get_capture_dB = nullptr;
  decltype(&::snd_mixer_selem_get_playback_switch) mixer_selem_get_playback_switch = nullptr;
  decltype(&::snd_mixer_selem_get_capture_switch) mixer_selem_get_capture_switch = nullptr;
  decltype(&::snd_mixer_selem_set_playback_switch_all) mixer_selem_set_playback_switch_all = nullptr;
  decltype(&::snd_mixer_selem_set_capture_switch_all) mixer_selem_set_capture_switch_all = nullptr;

 private:
  AlsaLibrary() = default;

  std::unique_ptr<DynamicLibrary> library_;  ///< the functions above point into it
};

}  // namespace zt640::platform
