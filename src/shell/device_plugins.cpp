#include "shell/device_plugins.h"

#include "devices/headset/kalvex_hs6533_device.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/pad/kalvex_mouse_pad_device.h"
#include "platform/audio/alsa_audio_library.h"
#include "platform/diag/debug_output.h"
#include "platform/hid/hid_root.h"
#include "profiles/devices_json.h"

namespace zt640 {

std::unique_ptr<CKalvexUSBDevice> CreateDeviceObject(int type_index, const DeviceTypeRow& type,
                                                     const ProfileFolders& folders) {
  if (type_index == InterfaceCatalogue::kKeyboardType) {
    return std::make_unique<CKalvexKeyboardDevice>(folders, std::string(type.kind_name));
  }
  // One object for the mouse on its cable and through its receiver: the receiver's
  // rows name the cable's type row, and the cable wins while both are there.
  if (type_index == InterfaceCatalogue::kMouseType) {
    return std::make_unique<CKalvexMouseDevice>(folders, std::string(type.kind_name));
  }
  if (type_index == InterfaceCatalogue::kMousePadType) {
    return std::make_unique<CKalvexMousePadDevice>(folders, std::string(type.kind_name));
  }
  if (type_index == InterfaceCatalogue::kHeadsetType) {
    // The sound card is known once the headset is plugged (HeadsetAudioFor with
    // its interface path); until then a real headset has no sound settings.
    // The simulator's in-memory layer needs no card.
    return std::make_unique<CKalvexHS6533Device>(folders, std::string(type.kind_name), nullptr,
                                                 HeadsetAudioSimulated() ? HeadsetAudioFor({}) : nullptr);
  }
  return nullptr;
}

bool HeadsetAudioSimulated() { return platform::HidRoot() != "/"; }

std::unique_ptr<platform::HeadsetAudioBinding> HeadsetAudioFor(const std::string& hid_interface_path) {
  const platform::AudioBackend backend =
      HeadsetAudioSimulated() ? platform::AudioBackend::kFake : platform::AudioBackend::kAlsa;
  return std::make_unique<platform::HeadsetAudioBinding>(platform::MakeHeadsetAudioLibrary(backend, hid_interface_path));
}

MainWndPlugins DevicePlugins() {
  MainWndPlugins plugins;
  const ProfileFolders folders = LocateProfileFolders();
  InterfaceCatalogue catalogue;
  const DevicesJson::Result ids = DevicesJson::ApplyFromDataRoot(folders.user_data_root, catalogue);
  for (const std::string& problem : ids.problems) platform::DebugOutput(problem);
  plugins.catalogue = catalogue;
  plugins.device_factory = [folders](int type_index, const DeviceTypeRow& type) {
    return CreateDeviceObject(type_index, type, folders);
  };
  plugins.watch_power = true;
  plugins.check_updates = true;
  plugins.audio_capture = true;
  return plugins;
}

}  // namespace zt640
