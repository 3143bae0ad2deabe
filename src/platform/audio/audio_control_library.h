#pragma once

#include <cstdint>
#include <string_view>

#include "platform/audio/audio_endpoint_record.h"

namespace zt640::platform {

/// The headset's audio-control layer: the entry points the headset binding
/// calls. Each returns kAudioCallOk on success, anything else on failure.
/// Implementations: the ALSA mixer of the headset's own sound card, and an
/// in-memory fake with the full property set.
class AudioControlLibrary {
 public:
  virtual ~AudioControlLibrary() = default;

  [[nodiscard]] virtual int ConfLibInit() = 0;
  [[nodiscard]] virtual int CreateDeviceList() = 0;
  [[nodiscard]] virtual int GetDeviceCount(AudioFlow flow, uint32_t* count) = 0;
  [[nodiscard]] virtual int GetDeviceById(AudioFlow flow, uint32_t index, AudioEndpointRecord* record) = 0;
  /// One property read or write on `endpoint`. `value` is always given;
  /// `channel` may be null for the properties that take no channel.
  [[nodiscard]] virtual int PropertyControl(AudioEndpointRecord endpoint, std::string_view name,
                                            AudioValueBuffer* value, AudioValueBuffer* channel,
                                            PropertyDirection direction) = 0;
};

}  // namespace zt640::platform
