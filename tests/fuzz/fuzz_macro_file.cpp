// Feeds arbitrary bytes as a macro library ("macro.config") and as a macro
// file: the library loader with its repairs, the event list loader, the
// import check, the device event records and a save of what was loaded.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/global_utils.h"
#include "profiles/import_file.h"
#include "profiles/macro_library.h"

namespace {

const std::string& Root() {
  static const std::string root = [] {
    std::string pattern = "/tmp/zt640-fuzz-macro-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp/zt640-fuzz-macro");
  }();
  return root;
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  using namespace zt640;
  const std::string folder = Root() + "/keyboard/";
  std::error_code error;
  fs::remove_all(Root(), error);
  fs::create_directories(folder, error);
  Write(folder + "macro.config", data, size);
  Write(Root() + "/input.mac", data, size);

  MacroLibrary library;
  library.SetMacroFolder(folder);
  (void)library.LoadMacroList();
  for (const MacroEntry& entry : library.Entries()) {
    if (entry.guid.find('/') != std::string::npos || entry.guid.find("..") != std::string::npos) std::abort();
  }

  library.LoadMacroFile(Root() + "/input.mac");
  const Json::Value document = CGlobalUtils::ParseJsonFile(Root() + "/input.mac");
  for (const Json::Value& event : document.isObject() && document["Events"].isArray() ? document["Events"]
                                                                                         : Json::Value()) {
    (void)ParseMacroEvent(event);
    (void)DescribeMacroEvent(event);
  }
  (void)ImportFile::ReadMacro(Root() + "/input.mac");
  (void)ImportFile::ReadProfile(Root() + "/input.mac");
  if (!library.Entries().empty()) {
    std::vector<MacroEventEntry> events = library.Events();
    library.SelectMacro(0);
    library.Events() = std::move(events);
    (void)library.SaveSelectedMacro();
    (void)library.ImportMacro(Root() + "/input.mac");
  }
  for (const auto& entry : fs::directory_iterator(Root(), error)) {
    const std::string name = entry.path().filename().string();
    if (name != "keyboard" && name != "input.mac") std::abort();
  }
  return 0;
}
