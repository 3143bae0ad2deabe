#include "shell/device_plugins.h"

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "platform/diag/debug_output.h"
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
  return nullptr;
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
  plugins.audio_capture = true;
  return plugins;
}

}  // namespace zt640
