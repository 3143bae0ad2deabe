// Feeds arbitrary bytes as "ProfileList.ini" through loading (with its
// repairs), selection and the operations that re-read the list, checking that
// nothing is created outside the device folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/profile_list.h"

namespace {

const std::string& Root() {
  static const std::string root = [] {
    std::string pattern = "/tmp/zt640-fuzz-profile-list-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp/zt640-fuzz-profile-list");
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const std::string folder = Root() + "/device/";
  std::error_code error;
  fs::remove_all(Root(), error);
  fs::create_directories(folder, error);
  {
    std::ofstream out(folder + "ProfileList.ini", std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  zt640::ProfileList list;
  list.SetDeviceKind(size % 2 == 0 ? zt640::DeviceKind::kKeyboard : zt640::DeviceKind::kHeadset);
  list.SetProfileFolders(folder, Root() + "/missing-default.Json");
  (void)list.LoadProfileList();
  if (list.Entries().empty()) std::abort();
  for (const zt640::ProfileEntry& entry : list.Entries()) {
    if (entry.uuid.find('/') != std::string::npos || entry.uuid.find("..") != std::string::npos) std::abort();
  }
  (void)list.SelectProfile(static_cast<int>(size % 7) - 1);
  (void)list.CopyProfile();
  (void)list.RenameProfile("renamed");
  (void)list.ResetProfile();
  (void)list.DeleteProfile();
  // Everything the list wrote stays inside the device folder.
  for (const auto& entry : fs::directory_iterator(Root(), error)) {
    if (entry.path().filename() != "device") std::abort();
  }
  return 0;
}
