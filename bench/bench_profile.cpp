// Load and save of a full keyboard profile beside the JSON library's bare
// parse and styled write of the same document (the floor).
#include <benchmark/benchmark.h>
#include <json/reader.h>
#include <json/writer.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/global_utils.h"
#include "profiles/keyboard_profiledata.h"

namespace {

using namespace zt640;

constexpr int kKeyCount = 126;
constexpr int kColorGroups = 3;
constexpr int kColorsPerGroup = 170;

Json::Value FullKeyboardSection() {
  Json::Value section;
  for (int i = 0; i < kKeyCount; ++i) {
    section["KeyList"][i]["Assignment"] = 0x200000 | (4 + i % 100);
    section["KeyList"][i]["DefaultAssignment"] = 0x200000 | (4 + i % 100);
  }
  Json::Value& light = section["LightInfo"];
  for (const char* key : {"SelectItem", "Light", "Speed", "Fx", "MultiColor", "Red", "Green", "Blue", "ZZCCLedMode",
                          "CustomGroup", "OldLedmode"}) {
    light[key] = 1;
  }
  for (const char* key : {"AudioMode", "BkColorR", "BkColorG", "BkColorB", "FgColorR", "FgColorG", "FgColorB",
                          "7ColorFlags", "ColorTypeFlags"}) {
    section["AudioLightInfo"][key] = 1;
  }
  for (int zone = 0; zone < 4; ++zone) {
    for (const char* key : {"LEDREGMode", "LEDBrightness", "LEDSpeed", "LEDDirection", "LEDMultiColor", "red", "green",
                            "blue"}) {
      section["LightList"][zone][key] = zone;
    }
  }
  for (const char* key : {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag", "MacMode", "Wheel"}) {
    section["SystemStages"][key] = 2;
  }
  section["CustomLightMode"]["CustomLightModeGroupIndex"] = 1;
  for (int group = 0; group < kColorGroups; ++group) {
    for (int key = 0; key < kColorsPerGroup; ++key) {
      Json::Value& color = section["CustomLightMode"]["LightColorInfo"][group][key];
      color["Red"] = key % 256;
      color["Green"] = group * 80;
      color["Blue"] = 255 - key % 256;
      color["Alpha"] = 255;
    }
  }
  return section;
}

/// A temp folder holding the profile file for one benchmark run.
class ProfileFile {
 public:
  ProfileFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zt640-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
    path_ = folder_ + "/2023_07_04_09_05_31_042.Json";
    Json::Value file;
    file["profilename"] = "Bench";
    file["profileUUID"] = "2023_07_04_09_05_31_042";
    file["Device"][0] = FullKeyboardSection();
    document_ = file;
    if (!CGlobalUtils::WriteJsonFile(path_, file)) std::abort();
  }
  ~ProfileFile() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] const Json::Value& document() const { return document_; }

 private:
  std::string folder_;
  std::string path_;
  Json::Value document_;
};

void BM_FloorParse(benchmark::State& state) {
  ProfileFile file;
  for (auto _ : state) {
    const std::string text = CGlobalUtils::readjsonFile(file.path());
    Json::Value document;
    Json::Reader reader;
    benchmark::DoNotOptimize(reader.parse(text, document, true));
    benchmark::DoNotOptimize(document);
  }
}
BENCHMARK(BM_FloorParse);

void BM_LoadProfileAndGetters(benchmark::State& state) {
  ProfileFile file;
  CKeyboardProfiledata profile;
  profile.SetProfilePath(file.path());
  for (auto _ : state) {
    benchmark::DoNotOptimize(profile.LoadProfile(file.path()));
    benchmark::DoNotOptimize(profile.GetKeyList());
    benchmark::DoNotOptimize(profile.GetLightInfo());
    benchmark::DoNotOptimize(profile.GetAudioLightInfo());
    benchmark::DoNotOptimize(profile.GetLightList());
    benchmark::DoNotOptimize(profile.GetKeyboardOptions());
    benchmark::DoNotOptimize(profile.GetCustomColorGroup());
    for (unsigned group = 0; group < kColorGroups; ++group) {
      benchmark::DoNotOptimize(profile.GetCustomColors(group, kColorsPerGroup));
    }
  }
}
BENCHMARK(BM_LoadProfileAndGetters);

void BM_FloorStyledWrite(benchmark::State& state) {
  ProfileFile file;
  const std::string out = file.path() + ".floor";
  for (auto _ : state) {
    Json::StyledWriter writer;
    const std::string text = writer.write(file.document());
    std::ofstream stream(out, std::ios::binary | std::ios::trunc);
    stream << text << '\n';
  }
}
BENCHMARK(BM_FloorStyledWrite);

void BM_Save(benchmark::State& state) {
  ProfileFile file;
  CKeyboardProfiledata profile;
  profile.SetProfilePath(file.path());
  profile.LoadProfile(file.path());
  for (auto _ : state) {
    benchmark::DoNotOptimize(profile.Save());
  }
}
BENCHMARK(BM_Save);

void BM_SaveWithoutDurability(benchmark::State& state) {
  // The same work as Save minus the flush to disk: read, parse, place the
  // section, styled text, plain write.
  ProfileFile file;
  CKeyboardProfiledata profile;
  profile.LoadProfile(file.path());
  const std::string out = file.path() + ".plain";
  for (auto _ : state) {
    Json::Value document = CGlobalUtils::ParseJsonFile(file.path());
    document["Device"][0] = profile.MainDocument();
    std::ofstream stream(out, std::ios::binary | std::ios::trunc);
    stream << CGlobalUtils::StyledJsonText(document);
  }
}
BENCHMARK(BM_SaveWithoutDurability);

}  // namespace

BENCHMARK_MAIN();
