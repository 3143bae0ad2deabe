#pragma once

#include "profiles/profile_folders.h"
#include "shell/custom_controls.h"
#include "shell/device_plugins.h"
#include "shell/main_wnd_plugins.h"
#include "shell/registered_window_messages.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640::test {

/// Points the UI at the shipped skins and registers the custom controls and the
/// activation message, as the program's start does. False when the skins or the
/// message could not be set up.
[[nodiscard]] inline bool LoadShippedSkins() {
  ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
  const bool loaded = ui::ResourceManager::Instance().LoadResource("res.xml");
  RegisterCustomControls(ui::ControlFactory::Instance());
  return RegisterActivationMessage() && loaded;
}

/// The main window's device subsystem over `catalogue`, with this build's device
/// classes working in `folders`.
[[nodiscard]] inline MainWndPlugins DevicePluginsIn(const InterfaceCatalogue& catalogue, const ProfileFolders& folders) {
  MainWndPlugins plugins;
  plugins.catalogue = catalogue;
  plugins.device_factory = [folders](int type_index, const DeviceTypeRow& type) {
    return CreateDeviceObject(type_index, type, folders);
  };
  return plugins;
}

}  // namespace zt640::test
