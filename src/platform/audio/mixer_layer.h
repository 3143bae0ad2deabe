#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zt640::platform {

/// Side of a mixer element a call acts on.
enum class MixerSide { kPlayback, kCapture };

/// What one simple mixer element of a sound card offers.
struct MixerElement {
  std::string name;
  bool playback_volume = false;
  bool playback_switch = false;
  bool capture_volume = false;
  bool capture_switch = false;
};

/// Raw volume range of one side of an element, and its decibel range in
/// hundredths of a decibel when the card gives one.
struct MixerRange {
  long minimum = 0;
  long maximum = 0;
  std::optional<long> minimum_centibels;
  std::optional<long> maximum_centibels;
};

/// The simple mixer of one sound card: elements by name, volumes (all
/// channels alike) and switches. Every call returns false when the card
/// refuses it or is gone. The ALSA implementation talks to alsa-lib; tests
/// use an in-memory one.
class MixerLayer {
 public:
  virtual ~MixerLayer() = default;
  [[nodiscard]] virtual std::vector<MixerElement> Elements() = 0;
  [[nodiscard]] virtual bool Range(const std::string& element, MixerSide side, MixerRange* range) = 0;
  /// The raw volume of the first channel.
  [[nodiscard]] virtual bool Volume(const std::string& element, MixerSide side, long* value) = 0;
  /// Sets every channel to the raw value.
  [[nodiscard]] virtual bool SetVolume(const std::string& element, MixerSide side, long value) = 0;
  /// The first channel's level in hundredths of a decibel.
  [[nodiscard]] virtual bool Centibels(const std::string& element, MixerSide side, long* value) = 0;
  /// On = sound passes (not muted), first channel.
  [[nodiscard]] virtual bool Switch(const std::string& element, MixerSide side, bool* on) = 0;
  [[nodiscard]] virtual bool SetSwitch(const std::string& element, MixerSide side, bool on) = 0;
};

}  // namespace zt640::platform
