#pragma once

#include <memory>

#include "devices/kalvex_usb_device.h"
#include "profiles/profile_folders.h"
#include "shell/main_wnd_plugins.h"

namespace zt640 {

/// The main window's device subsystem for this installation: the built-in
/// catalogue with the ids of "devices.json" from the user data root, the device
/// classes this build has (the keyboard and the mouse; other types get no entry yet), and the
/// suspend and resume watch.
[[nodiscard]] MainWndPlugins DevicePlugins();

/// The device object of a device type, or null when this build has no class for it.
[[nodiscard]] std::unique_ptr<CKalvexUSBDevice> CreateDeviceObject(int type_index, const DeviceTypeRow& type,
                                                                   const ProfileFolders& folders);

}  // namespace zt640
