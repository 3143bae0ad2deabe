#pragma once

#include <array>
#include <cstdint>

namespace zt640::platform {

/// The two sides of the headset's audio chip.
enum class AudioFlow : int32_t {
  kRender = 0,   ///< playback: equaliser, surround, environment
  kCapture = 1,  ///< microphone: volume, mute, monitor, noise cancelling, voice changer
};

/// Direction of one property call.
enum class PropertyDirection : int32_t { kRead = 0, kWrite = 1 };

/// One audio endpoint as the library describes it: four 32-bit words, passed
/// back by value to every property call.
struct AudioEndpointRecord {
  static constexpr uint32_t kUsable = 1;
  uint32_t id = 0;
  uint32_t kind = 0;
  uint32_t reserved = 0;  ///< not interpreted
  uint32_t state = 0;     ///< kUsable when the endpoint can be used
  friend constexpr bool operator==(const AudioEndpointRecord&, const AudioEndpointRecord&) = default;
};
static_assert(sizeof(AudioEndpointRecord) == 16);

/// The value and channel buffers of a property call. A read leaves the value
/// as text in the value buffer; a write puts a 32-bit value (integer, or a
/// float for the scalar volumes) at its start. The channel buffer starts with
/// a 32-bit channel selector (-1 master, 0 or 1).
using AudioValueBuffer = std::array<uint8_t, 1024>;

/// Result of every library call that succeeded.
inline constexpr int kAudioCallOk = 0;

}  // namespace zt640::platform
