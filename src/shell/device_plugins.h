#pragma once

#include <memory>

#include "devices/kalvex_usb_device.h"
#include "platform/audio/headset_audio_binding.h"
#include "profiles/profile_folders.h"
#include "shell/main_wnd_plugins.h"

namespace zt640 {

/// The main window's device subsystem for this installation: the built-in
/// catalogue with the ids of "devices.json" from the user data root, the device
/// classes this build has (keyboard, mouse, mouse pad and headset), and the
/// suspend and resume watch.
[[nodiscard]] MainWndPlugins DevicePlugins();

/// The device object of a device type, or null when this build has no class for it.
[[nodiscard]] std::unique_ptr<CKalvexUSBDevice> CreateDeviceObject(int type_index, const DeviceTypeRow& type,
                                                                   const ProfileFolders& folders);

/// Whether the HID devices are the simulator's (another HID root than the
/// system's): its headset has no sound card, so the in-memory audio layer
/// stands in for one.
[[nodiscard]] bool HeadsetAudioSimulated();

/// The audio binding of the headset whose HID interface is at
/// `hid_interface_path`: the sound card's mixer (none found: a binding whose
/// start-up fails and says so in the log), or the in-memory layer with the
/// simulator.
[[nodiscard]] std::unique_ptr<platform::HeadsetAudioBinding> HeadsetAudioFor(const std::string& hid_interface_path);

}  // namespace zt640
