// Feeds arbitrary bytes as the user's "AudioFile.json": opening always leaves a
// usable user copy (from the default copy when the bytes are no style file), and
// the styles read from it survive a save and a fresh open unchanged.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "audio/audio_style_file.h"

namespace {

constexpr char kDefaultCopy[] = R"({"Device": {"AudioLightInfo": {"nAudioStyle": 0,
  "nStyleName1": "A", "nStyleName2": "B", "nStyleName3": "C", "nStyleName4": "D",
  "nStyleR0": 9, "nStyleG0": 9, "nStyleB0": 9, "nStyleR1": 9, "nStyleG1": 3, "nStyleB1": 0,
  "nStyleR2": 0, "nStyleG2": 6, "nStyleB2": 9, "nStyleR3": 6, "nStyleG3": 0, "nStyleB3": 9}}})";

const std::string& Folder() {
  static const std::string folder = [] {
    char templ[] = "/tmp/zt640-fuzz-audio-XXXXXX";
    const char* made = mkdtemp(templ);
    if (made == nullptr) abort();
    std::ofstream(std::string(made) + "/default.json") << kDefaultCopy;
    return std::string(made);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string user = Folder() + "/AudioFile.json";
  const std::string defaults = Folder() + "/default.json";
  std::ofstream(user, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  std::remove((user + ".bak").c_str());

  zt640::AudioStyleFile file;
  if (!file.Open(user, defaults)) abort();
  const zt640::AudioStyleSet first = file.LoadAudioStyles();
  file.StoreAudioStyles(first);
  if (!file.SaveAudioStyleFile()) abort();

  zt640::AudioStyleFile again;
  if (!again.Open(user, defaults)) abort();
  if (!(again.LoadAudioStyles() == first)) abort();
  return 0;
}
