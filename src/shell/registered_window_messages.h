#pragma once

#include <cstdint>
#include <string_view>

namespace zt640 {

/// Names of the registered inter-process messages. The activation message is registered
/// under the product title.
inline constexpr std::string_view kSettingsForwardMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightControlAnnounceMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightControlStateMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kDeviceTableQueryMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
/// Differs from the others in its last group (EBE19).
inline constexpr std::string_view kAudioCaptureCommandMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

/// Process-wide ids of the six registered messages; 0 until registered.
extern std::uint32_t UWM_INSTANCE_ACTIVATE_MSG;
extern std::uint32_t UWM_SETTINGS_FORWARD_MSG;
extern std::uint32_t UWM_LIGHT_CONTROL_ANNOUNCE_MSG;
extern std::uint32_t UWM_LIGHT_CONTROL_STATE_MSG;
extern std::uint32_t UWM_DEVICE_TABLE_QUERY_MSG;
extern std::uint32_t UWM_AUDIO_CAPTURE_CMD_MSG;

/// Registers the activation message; false when registering fails (the id stays 0).
[[nodiscard]] bool RegisterActivationMessage();

/// Registers the five GUID-named messages in table order; false when any fails.
[[nodiscard]] bool RegisterGuidMessages();

}  // namespace zt640
