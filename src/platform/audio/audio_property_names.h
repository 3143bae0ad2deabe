#pragma once

#include <string>
#include <string_view>

namespace zt640::platform::audio_property {

inline constexpr std::string_view kSupportFeature = "GetSupportFeature";
inline constexpr std::string_view kMaxVolume = "GetMaxVol";
inline constexpr std::string_view kMinVolume = "GetMinVol";
inline constexpr std::string_view kVolumeStep = "GetVolStep";
inline constexpr std::string_view kVolume = "VolumeControl";
inline constexpr std::string_view kVolumeScalar = "VolumeScalarControl";
inline constexpr std::string_view kMute = "MuteControl";
inline constexpr std::string_view kMonitorMaxVolume = "GetAAMaxVol";
inline constexpr std::string_view kMonitorMinVolume = "GetAAMinVol";
inline constexpr std::string_view kMonitorVolumeStep = "GetAAVolStep";
inline constexpr std::string_view kMonitorVolume = "AAVolumeControl";
inline constexpr std::string_view kMonitorVolumeScalar = "AAVolumeScalarControl";
inline constexpr std::string_view kMonitorMute = "AAMuteControl";
inline constexpr std::string_view kEqualiserEnable = "Enable_EQ_GFX";
inline constexpr std::string_view kEqualiserSliderPrefix = "EQ_Slider";
inline constexpr std::string_view kRoomEffectEnable = "Enable_RFX_GFX";
inline constexpr std::string_view kRoomEnvironment = "RFX_ENVIRONMENT";
inline constexpr std::string_view kRoomSize = "RFX_ROOMSIZE";
inline constexpr std::string_view kVirtualSurround = "VirtualSurroundEffectControl";
inline constexpr std::string_view kNoiseCancelEnable = "Enable_ENC_LFX";
inline constexpr std::string_view kVoiceChangerEnable = "Enable_MAGICVOICE";
inline constexpr std::string_view kVoiceChangerSelection = "MagicVoice_Selection";
inline constexpr std::string_view kMicEchoEnable = "Enable_MICECHO";

/// Bands are numbered 1 to 10.
inline constexpr int kEqualiserBands = 10;

/// "EQ_Slider" followed by the band number (1-10).
[[nodiscard]] inline std::string EqualiserSlider(int band) {
  return std::string(kEqualiserSliderPrefix) + std::to_string(band);
}

/// The properties whose writes carry a 32-bit float (fraction 0.0-1.0).
[[nodiscard]] inline bool IsScalarVolume(std::string_view name) {
  return name == kVolumeScalar || name == kMonitorVolumeScalar;
}

/// Channel selectors carried in the channel buffer.
inline constexpr int32_t kMasterChannel = -1;
inline constexpr int32_t kChannel0 = 0;
inline constexpr int32_t kChannel1 = 1;

/// Bit of the capture endpoint's feature word 0 that says the voice changer's
/// on/off state can be read.
inline constexpr uint32_t kVoiceChangerFeatureBit = 0x20000;

}  // namespace zt640::platform::audio_property
