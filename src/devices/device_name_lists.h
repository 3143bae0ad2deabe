#pragma once

#include <string>
#include <vector>

#include "profiles/light_name_catalogue.h"

namespace zt640 {

/// The names a device's panels offer: its macros, its lighting modes (with
/// their visibility and device codes), its zones and its configured lighting.
struct DeviceNameLists {
  std::vector<std::string> macro_names;
  std::vector<LightModeName> modes;
  std::vector<std::string> area_names;
  std::vector<std::string> custom_light_names;

  /// Macro names from "macro.config" in `data_folder`; mode and zone names
  /// from the defaults folder's light name catalogue; custom lighting names
  /// from the light configuration named by `light_file_prefix` in
  /// `data_folder`; each from the element of `page_type`. An empty data folder
  /// (it could not be made) or a missing file gives empty lists.
  [[nodiscard]] static DeviceNameLists Load(const std::string& defaults_folder, const std::string& data_folder,
                                           const std::string& light_file_prefix, int page_type);
};

}  // namespace zt640
