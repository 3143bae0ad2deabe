#include "ctl_device_data.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "catalogue/interface_catalogue.h"
#include "profiles/damaged_files.h"
#include "profiles/language_texts.h"

namespace zt640::ctl {

namespace {

struct DeviceOption {
  const char* option;
  int type_index;  ///< row of the catalogue's device type table
  const char* macro_library;
};

constexpr DeviceOption kDeviceOptions[] = {
    {"keyboard", InterfaceCatalogue::kKeyboardType, "macro.config"},
    {"mouse", InterfaceCatalogue::kMouseType, "macro.config"},
    {"mousepad", InterfaceCatalogue::kMousePadType, "vornik_macro.config"},
    {"headset", InterfaceCatalogue::kHeadsetType, "vornik_macro.config"},
};

/// The --device choices, named and kinded by the catalogue's device types.
const std::vector<CtlDeviceType>& DeviceTypes() {
  static const std::vector<CtlDeviceType> types = [] {
    const InterfaceCatalogue catalogue;
    std::vector<CtlDeviceType> built;
    for (const DeviceOption& option : kDeviceOptions) {
      const DeviceTypeRow& row = catalogue.Types()[static_cast<std::size_t>(option.type_index)];
      built.push_back({option.option, std::string(row.kind_name), row.kind, option.macro_library});
    }
    return built;
  }();
  return types;
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace

void PrintDamagedFileNotices() {
  DamagedFiles::SetListener([](const DamagedFileNotice& notice) {
    std::fprintf(stderr, "zt640ctl: %s is damaged and could not be read; it is kept as %s before it is replaced\n",
                 notice.path.c_str(), notice.backup_path.c_str());
  });
}

CtlDataOptions ParseDataOptions(const CtlArgs& args, const char* default_device) {
  CtlDataOptions options;
  options.folders = LocateProfileFolders();
  std::string device = default_device != nullptr ? default_device : "";
  const std::vector<std::string>& words = args.words;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool has_value = i + 1 < words.size();
    if (word == "--device" || word == "--data-root" || word == "--defaults") {
      if (!has_value) {
        options.error = word + " needs a value";
        return options;
      }
      const std::string& value = words[++i];
      if (word == "--device") device = value;
      else if (word == "--data-root") options.folders.user_data_root = WithSlash(value);
      else options.folders.defaults = WithSlash(value);
    } else if (word == "--yes") {
      options.yes = true;
    } else if (word == "--left") {
      options.left = true;
    } else if (word == "--up") {
      options.up = true;
    } else {
      options.words.push_back(word);
    }
  }
  for (const CtlDeviceType& type : DeviceTypes()) {
    if (device == type.option) options.device = &type;
  }
  if (options.device == nullptr) {
    options.error = device.empty() ? "--device {keyboard|mouse|mousepad|headset} is needed"
                                   : "unknown device '" + device + "'";
  }
  // The language files sit in "skin" beside the defaults folder.
  options.skin_folder =
      (std::filesystem::path(options.folders.defaults).parent_path().parent_path() / "skin").string();
  return options;
}

std::string DeviceDataFolder(const CtlDataOptions& options) {
  return EnsureDeviceDataFolder(options.folders, options.device->folder_name).value_or(std::string());
}

std::string EnglishText(const CtlDataOptions& options, const std::string& key) {
  LanguageTexts texts;
  if (!texts.Load(options.skin_folder + "/lan_en.xml")) return key;
  return texts.Text(key);
}

int Report(const CtlDataOptions& options, const char* command, const PanelResult& result) {
  if (result.done()) return 0;
  const std::string& key = result.message_key.empty() ? result.reason_key : result.message_key;
  std::fprintf(stderr, "zt640ctl %s: %s\n", command, EnglishText(options, key).c_str());
  return 1;
}

bool ParsePosition(const std::string& text, int limit, int* position) {
  if (text.empty() || text.size() > 9) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value >= limit) return false;
  *position = value;
  return true;
}

}  // namespace zt640::ctl
