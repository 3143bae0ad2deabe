// zt640ctl profile: the profiles of one device type, as the profile panel manages them.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "ctl_device_data.h"
#include "profiles/profile_list.h"

namespace zt640::ctl {
namespace {

constexpr char kUsage[] =
    "profile {list|add|copy|rename NAME|delete|reset --yes|import FILE|export FILE|select N} "
    "--device {keyboard|mouse|mousepad|headset} [--data-root DIR] [--defaults DIR]";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "zt640ctl profile: %s\nusage: zt640ctl %s\n", problem.c_str(), kUsage);
  return 2;
}

void PrintList(const ProfileList& list) {
  for (size_t i = 0; i < list.Entries().size(); ++i) {
    const ProfileEntry& entry = list.Entries()[i];
    const bool active = entry.uuid == list.GetActiveProfileUuid();
    std::printf("%s%zu\t%s\t%s\n", active ? "*" : " ", i, entry.name.c_str(), entry.uuid.c_str());
  }
}

int RunProfile(const CtlArgs& args) {
  const CtlDataOptions options = ParseDataOptions(args, nullptr);
  if (!options.error.empty()) return Usage(options.error);
  if (options.words.empty()) return Usage("an action is needed");
  const std::string& action = options.words[0];
  const size_t operands = options.words.size() - 1;
  const bool one_operand = action == "rename" || action == "import" || action == "export" || action == "select";
  if (operands != (one_operand ? 1u : 0u)) return Usage("wrong number of arguments for '" + action + "'");
  const std::string folder = DeviceDataFolder(options);
  if (folder.empty()) {
    std::fprintf(stderr, "zt640ctl profile: the device data folder cannot be created\n");
    return 1;
  }

  ProfileList list;
  list.SetDeviceKind(options.device->kind);
  list.SetProfileFolders(folder, DefaultProfilePath(options.folders, options.device->folder_name));
  // The selection is the active profile, as when the window starts.
  if (const int status = Report(options, "profile", list.LoadProfileList()); status != 0) return status;

  PanelResult result;
  if (action == "list") {
    PrintList(list);
    return 0;
  } else if (action == "add") {
    result = list.AddProfile();
  } else if (action == "copy") {
    result = list.CopyProfile();
  } else if (action == "rename") {
    result = list.RenameProfile(options.words[1]);
  } else if (action == "delete") {
    result = list.DeleteProfile();
  } else if (action == "reset") {
    if (!options.yes) {
      std::fprintf(stderr, "zt640ctl profile: %s (confirm with --yes)\n",
                   EnglishText(options, message_key::kConfirmReset).c_str());
      return 1;
    }
    result = list.ResetProfile();
  } else if (action == "import") {
    result = list.ImportProfile(options.words[1]);
  } else if (action == "export") {
    result = list.ExportProfile(options.words[1]);
  } else if (action == "select") {
    int position = 0;
    if (!ParsePosition(options.words[1], static_cast<int>(list.Entries().size()), &position)) {
      return Usage("no profile at position '" + options.words[1] + "'");
    }
    result = list.SelectProfile(position);
  } else {
    return Usage("unknown action '" + action + "'");
  }
  const int status = Report(options, "profile", result);
  if (status == 0 && !result.value.empty()) std::printf("%s\n", result.value.c_str());
  return status;
}

const CtlRegistration registration{{"profile", kUsage, RunProfile}};

}  // namespace
}  // namespace zt640::ctl
