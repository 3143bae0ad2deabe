#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zt640 {

/// Name of the user data root below the user's data folder (the product title).
inline constexpr char kUserDataFolderName[] = "ZT640 有线RGB Keyboard";

/// The two data places of the profile files, each ending in "/".
struct ProfileFolders {
  std::string defaults;        ///< "DefaultData/" beside the program: default profiles, light names
  std::string user_data_root;  ///< one device data folder per device kind
};

/// The real folders of this installation: the user data root is
/// $XDG_DATA_HOME (else ~/.local/share) + "/" + kUserDataFolderName; the
/// defaults are "DefaultData" beside the executable, else
/// ../share/zt640/DefaultData. Nothing is created.
[[nodiscard]] ProfileFolders LocateProfileFolders();

/// The device data folder (user data root + device folder name + "/"), each
/// missing folder created, the root first; nullopt when one cannot be created.
[[nodiscard]] std::optional<std::string> EnsureDeviceDataFolder(const ProfileFolders& folders,
                                                                std::string_view device_folder_name);

/// defaults + device folder name + ".Json".
[[nodiscard]] std::string DefaultProfilePath(const ProfileFolders& folders, std::string_view device_folder_name);
/// device data folder + profile UUID + ".Json".
[[nodiscard]] std::string ProfileFilePath(std::string_view device_data_folder, std::string_view profile_uuid);
/// device data folder + light file prefix (the device type's) + ".config".
[[nodiscard]] std::string LightConfigPath(std::string_view device_data_folder, std::string_view light_file_prefix);

}  // namespace zt640
