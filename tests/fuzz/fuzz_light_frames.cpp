// Feeds arbitrary bytes as a light mode frame file and as a light
// configuration through the frame loader and the light name readers.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "profiles/basic_profiledata.h"
#include "profiles/effect_frame_file.h"
#include "profiles/global_utils.h"
#include "profiles/light_name_catalogue.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/zt640-fuzz-light-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp");
  }();
  return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zt640;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Json::Value document = CGlobalUtils::ParseJsonText(text).value_or(Json::Value());
  (void)EffectFrameFile::ReadFrames(document);
  for (int page = -1; page < 5; ++page) {
    (void)LightNameCatalogue::DefaultModes(document, page);
    (void)LightNameCatalogue::AreaNames(document, page);
    (void)LightNameCatalogue::ConfiguredModeNames(document, page);
  }
  (void)EffectFrameFile::PathFor(Folder(), text);

  // The same bytes as a light configuration whose Guid names a frame file
  // holding them too.
  WriteFile(Folder() + "/vornik_light.config", data, size);
  WriteFile(Folder() + "/frames.light", data, size);
  CBasicProfiledata profile;
  profile.LoadLightConfig(Folder() + "/vornik_light.config");
  for (uint8_t mode = 0; mode < 4; ++mode) {
    LightEffect light;
    light.mode = mode;
    profile.SetLightInfo(light);
    (void)profile.LoadEffectFrames();
  }
  return 0;
}
