// Feeds arbitrary bytes as a profile file through LoadProfile, every getter and
// a save, as a damaged or hand-edited file on disk would reach them.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "profiles/global_utils.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/zt640-fuzz-profile-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp");
  }();
  return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

template <typename Profile>
Profile Loaded(const std::string& path, const std::string& defaults) {
  Profile profile;
  profile.SetDefaultProfilePath(defaults);
  profile.SetProfilePath(path);
  profile.LoadProfile(path);
  return profile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zt640;
  const std::string path = Folder() + "/profile.Json";
  const std::string defaults = Folder() + "/default.Json";
  WriteFile(path, data, size);
  WriteFile(defaults, data, size);

  // The text parser alone, and the writer on whatever it accepted.
  if (auto document = CGlobalUtils::ParseJsonText(std::string(reinterpret_cast<const char*>(data), size))) {
    (void)CGlobalUtils::StyledJsonText(*document);
  }

  auto keyboard = Loaded<CKeyboardProfiledata>(path, defaults);
  (void)keyboard.GetKeyList();
  (void)keyboard.GetLightInfo();
  (void)keyboard.GetAudioLightInfo();
  (void)keyboard.GetLightList();
  (void)keyboard.GetKeyboardOptions();
  (void)keyboard.GetCustomColors(static_cast<unsigned>(keyboard.GetCustomColorGroup()), 126);
  (void)keyboard.LoadLightConfig(path);
  (void)keyboard.LoadEffectFrames();
  keyboard.SetKeyList(keyboard.GetKeyList());
  (void)keyboard.Save();

  WriteFile(path, data, size);
  auto mouse = Loaded<CMouseProfiledata>(path, defaults);
  (void)mouse.GetDpiStages();
  (void)mouse.GetMouseOptions();
  (void)mouse.GetCorrectList();
  mouse.SetDpiStages(mouse.GetDpiStages());

  WriteFile(path, data, size);
  auto headset = Loaded<CHs6533Profiledata>(path, defaults);
  const HeadsetOptions options = headset.GetHeadsetOptions();
  (void)headset.GetEqValues(options.eq_type);
  (void)headset.GetCustomEqNames();
  (void)headset.GetCustomEqValues(options.custom_eq_index);
  (void)headset.Save();
  return 0;
}
