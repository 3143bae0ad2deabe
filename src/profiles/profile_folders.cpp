#include "profiles/profile_folders.h"

#include <cstdlib>
#include <filesystem>

namespace zt640 {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string UserDataBase() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return data_home;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::string DefaultsFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "DefaultData/";
  const std::filesystem::path beside = program.parent_path() / "DefaultData";
  if (std::filesystem::is_directory(beside, error)) return WithSlash(beside.string());
  return WithSlash((program.parent_path().parent_path() / "share" / "zt640" / "DefaultData").string());
}

}  // namespace

ProfileFolders LocateProfileFolders() {
  return ProfileFolders{DefaultsFolder(), WithSlash(UserDataBase() + "/" + kUserDataFolderName)};
}

std::optional<std::string> EnsureDeviceDataFolder(const ProfileFolders& folders, std::string_view device_folder_name) {
  std::error_code error;
  const std::filesystem::path root(folders.user_data_root);
  std::filesystem::create_directories(root, error);
  if (error) return std::nullopt;
  const std::filesystem::path folder = root / std::string(device_folder_name);
  std::filesystem::create_directory(folder, error);
  if (error || !std::filesystem::is_directory(folder, error)) return std::nullopt;
  return WithSlash(folder.string());
}

std::string DefaultProfilePath(const ProfileFolders& folders, std::string_view device_folder_name) {
  return WithSlash(folders.defaults) + std::string(device_folder_name) + ".Json";
}

std::string ProfileFilePath(std::string_view device_data_folder, std::string_view profile_uuid) {
  return WithSlash(std::string(device_data_folder)) + std::string(profile_uuid) + ".Json";
}

std::string LightConfigPath(std::string_view device_data_folder, std::string_view light_file_prefix) {
  return WithSlash(std::string(device_data_folder)) + std::string(light_file_prefix) + ".config";
}

}  // namespace zt640
