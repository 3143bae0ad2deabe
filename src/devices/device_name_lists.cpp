#include "devices/device_name_lists.h"

#include "devices/macro_library_reader.h"
#include "profiles/global_utils.h"
#include "profiles/profile_folders.h"

namespace zt640 {

DeviceNameLists DeviceNameLists::Load(const std::string& defaults_folder, const std::string& data_folder,
                                      const std::string& light_file_prefix, int page_type) {
  DeviceNameLists lists;
  if (!data_folder.empty()) {
    if (auto library = MacroLibraryReader::Load(data_folder)) lists.macro_names = library->Names();
  }
  const Json::Value catalogue = CGlobalUtils::ParseJsonFile(defaults_folder + kDefaultLightFileName);
  lists.modes = LightNameCatalogue::DefaultModes(catalogue, page_type);
  lists.area_names = LightNameCatalogue::AreaNames(catalogue, page_type);
  if (!data_folder.empty()) {
    const Json::Value config = CGlobalUtils::ParseJsonFile(LightConfigPath(data_folder, light_file_prefix));
    lists.custom_light_names = LightNameCatalogue::ConfiguredModeNames(config, page_type);
  }
  return lists;
}

}  // namespace zt640
