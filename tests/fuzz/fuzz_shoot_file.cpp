// Feeds arbitrary bytes as a shoot data file: showing and saving bullets on
// it and the import check.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/import_file.h"
#include "profiles/shoot_data.h"

namespace {

const std::string& Root() {
  static const std::string root = [] {
    std::string pattern = "/tmp/zt640-fuzz-shoot-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp/zt640-fuzz-shoot");
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zt640;
  std::error_code error;
  std::filesystem::create_directories(Root() + "/mouse", error);
  ShootData shoot;
  shoot.SetShootFolders(Root() + "/mouse", Root() + "/defaults");
  const int gun = size > 0 ? data[0] % 4 : 0;
  {
    std::ofstream out(shoot.GunFilePath(gun), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  (void)ImportFile::ReadShoot(shoot.GunFilePath(gun));
  shoot.SelectGun(gun);
  for (int bullet : {0, 13, 29}) {
    shoot.SelectBullet(bullet);
    (void)shoot.SaveBullet();
  }
  return 0;
}
