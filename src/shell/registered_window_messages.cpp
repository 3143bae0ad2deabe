#include "shell/registered_window_messages.h"

#include "platform/ipc/registered_messages.h"
#include "platform/paths/product_title.h"

namespace zt640 {

std::uint32_t UWM_INSTANCE_ACTIVATE_MSG = 0;
std::uint32_t UWM_SETTINGS_FORWARD_MSG = 0;
std::uint32_t UWM_LIGHT_CONTROL_ANNOUNCE_MSG = 0;
std::uint32_t UWM_LIGHT_CONTROL_STATE_MSG = 0;
std::uint32_t UWM_DEVICE_TABLE_QUERY_MSG = 0;
std::uint32_t UWM_AUDIO_CAPTURE_CMD_MSG = 0;

bool RegisterActivationMessage() {
  UWM_INSTANCE_ACTIVATE_MSG = platform::RegisterWindowMessage(platform::kProductTitle);
  return UWM_INSTANCE_ACTIVATE_MSG != 0;
}

bool RegisterGuidMessages() {
  UWM_SETTINGS_FORWARD_MSG = platform::RegisterWindowMessage(kSettingsForwardMessageName);
  UWM_LIGHT_CONTROL_ANNOUNCE_MSG = platform::RegisterWindowMessage(kLightControlAnnounceMessageName);
  UWM_LIGHT_CONTROL_STATE_MSG = platform::RegisterWindowMessage(kLightControlStateMessageName);
  UWM_DEVICE_TABLE_QUERY_MSG = platform::RegisterWindowMessage(kDeviceTableQueryMessageName);
  UWM_AUDIO_CAPTURE_CMD_MSG = platform::RegisterWindowMessage(kAudioCaptureCommandMessageName);
  return UWM_SETTINGS_FORWARD_MSG != 0 && UWM_LIGHT_CONTROL_ANNOUNCE_MSG != 0 && UWM_LIGHT_CONTROL_STATE_MSG != 0 &&
         UWM_DEVICE_TABLE_QUERY_MSG != 0 && UWM_AUDIO_CAPTURE_CMD_MSG != 0;
}

}  // namespace zt640
