#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/mixer_layer.h"

namespace zt640::platform {

/// The simple mixer of ALSA card `card` ("hw:N") through alsa-lib. The mixer
/// handle is opened at construction and closed with the object; the state is
/// refreshed from the card before each read.
class AlsaMixerLayer final : public MixerLayer {
 public:
  /// nullopt-like: null when the card's mixer cannot be opened.
  [[nodiscard]] static std::unique_ptr<AlsaMixerLayer> Open(int card);
  ~AlsaMixerLayer() override;
  AlsaMixerLayer(const AlsaMixerLayer&) = delete;
  AlsaMixerLayer& operator=(const AlsaMixerLayer&) = delete;

  [[nodiscard]] std::vector<MixerElement> Elements() override;
  [[nodiscard]] bool Range(const std::string& element, MixerSide side, MixerRange* range) override;
  [[nodiscard]] bool Volume(const std::string& element, MixerSide side, long* value) override;
  [[nodiscard]] bool SetVolume(const std::string& element, MixerSide side, long value) override;
  [[nodiscard]] bool Centibels(const std::string& element, MixerSide side, long* value) override;
  [[nodiscard]] bool Switch(const std::string& element, MixerSide side, bool* on) override;
  [[nodiscard]] bool SetSwitch(const std::string& element, MixerSide side, bool on) override;

 private:
  struct Handle;
  explicit AlsaMixerLayer(std::unique_ptr<Handle> handle);

  std::unique_ptr<Handle> handle_;
};

}  // namespace zt640::platform
