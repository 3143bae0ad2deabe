#pragma once

#include <string>
#include <vector>

#include "catalogue/device_kind.h"
#include "ctl_command.h"
#include "profiles/panel_result.h"
#include "profiles/profile_folders.h"

namespace zt640::ctl {

/// A device type as the data folders know it.
struct CtlDeviceType {
  const char* option;       ///< value of --device
  std::string folder_name;  ///< device data folder and default profile name: the type's kind name
  DeviceKind kind;          ///< the type's kind in the catalogue
  const char* macro_library;  ///< library file name
};

/// The options the profile, macro and shoot subcommands share, taken out of
/// the words: --device NAME, --data-root DIR, --defaults DIR, --yes.
struct CtlDataOptions {
  std::vector<std::string> words;  ///< what is left, in order
  const CtlDeviceType* device = nullptr;
  ProfileFolders folders;
  std::string skin_folder;  ///< where the language files are
  bool yes = false;
  bool left = false;  ///< --left (shoot set)
  bool up = false;    ///< --up (shoot set)
  std::string error;  ///< set when the options could not be understood
};

/// Prints one line on stderr for each damaged file the run comes across
/// (once per file), saying where its bytes are kept before it is replaced.
void PrintDamagedFileNotices();

/// Parses the options; `default_device` is used when --device is absent
/// (nullptr: --device is required).
[[nodiscard]] CtlDataOptions ParseDataOptions(const CtlArgs& args, const char* default_device);

/// The device data folder, created when missing; empty when it cannot be.
[[nodiscard]] std::string DeviceDataFolder(const CtlDataOptions& options);

/// The English text of a language key (the key itself when unknown).
[[nodiscard]] std::string EnglishText(const CtlDataOptions& options, const std::string& key);

/// Prints why an operation did nothing and gives the exit status: 0 when
/// done, 1 otherwise.
[[nodiscard]] int Report(const CtlDataOptions& options, const char* command, const PanelResult& result);

/// Reads a decimal position; false when the text is no number in [0, limit).
[[nodiscard]] bool ParsePosition(const std::string& text, int limit, int* position);

}  // namespace zt640::ctl
