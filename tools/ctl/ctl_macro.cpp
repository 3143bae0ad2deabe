// zt640ctl macro: the macro library of the keyboard or the mouse, as the macro panel manages it.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "ctl_device_data.h"
#include "ctl_macro_record.h"
#include "profiles/basic_profiledata.h"
#include "profiles/macro_deletion.h"
#include "profiles/macro_library.h"
#include "profiles/profile_list.h"

namespace zt640::ctl {
namespace {

constexpr char kUsage[] =
    "macro {list|add|rename N NAME|delete N --yes|import FILE|export N FILE|show N|"
    "record NAME [--timing real|fixed MS|none] [--seconds N]} "
    "--device {keyboard|mouse} [--data-root DIR] [--defaults DIR]";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "zt640ctl macro: %s\nusage: zt640ctl %s\n", problem.c_str(), kUsage);
  return 2;
}

size_t OperandCount(const std::string& action) {
  if (action == "rename" || action == "export") return 2;
  if (action == "delete" || action == "import" || action == "show") return 1;
  return 0;
}

void ShowEvents(const CtlDataOptions& options, const MacroLibrary& library) {
  for (size_t i = 0; i < library.Events().size(); ++i) {
    const MacroEventEntry& entry = library.Events()[i];
    const bool press = entry.labels.action_style == "macro_label_down_style";
    std::string name = entry.labels.name_key.empty() ? "?" : EnglishText(options, entry.labels.name_key);
    if (!entry.labels.action_text.empty()) name += " " + entry.labels.action_text;
    std::printf("%zu\t%s\t%s\t%s ms\n", i, press ? "down" : "up", name.c_str(), entry.delay_text.c_str());
  }
}

/// Deletes macro `position` with the fix-up of every profile of the device.
int DeleteMacro(const CtlDataOptions& options, const std::string& folder, MacroLibrary& library, int position) {
  ProfileList profiles;
  profiles.SetDeviceKind(options.device->kind);
  const std::string default_profile = DefaultProfilePath(options.folders, options.device->folder_name);
  profiles.SetProfileFolders(folder, default_profile);
  if (const int status = Report(options, "macro", profiles.LoadProfileList()); status != 0) return status;
  CBasicProfiledata active;
  active.SetDefaultProfilePath(default_profile);
  active.SetProfilePath(profiles.GetProfilePathAt(profiles.RecordedSelection()));
  active.LoadProfile(active.GetProfilePath());

  library.SelectMacro(position);
  const char* declined = nullptr;
  MacroDeletionConfirmations confirmations;
  confirmations.confirm_delete = [&] {
    if (!options.yes) declined = message_key::kConfirmMacroDelete;
    return options.yes;
  };
  confirmations.confirm_in_use = [&] {
    if (!options.yes) declined = message_key::kConfirmMacroInUse;
    return options.yes;
  };
  const MacroDeletionOutcome outcome = MacroDeletion::DeleteWithReferences(library, profiles, active, confirmations);
  if (declined != nullptr) {
    std::fprintf(stderr, "zt640ctl macro: %s (confirm with --yes)\n", EnglishText(options, declined).c_str());
    return 1;
  }
  const int status = Report(options, "macro", outcome.result);
  if (outcome.position >= 0) {
    std::printf("deleted macro %d; %d other profile(s)%s updated\n", outcome.position, outcome.profiles_changed,
                outcome.active_changed ? " and the active profile" : "");
  }
  return status;
}

int RunMacro(const CtlArgs& args) {
  const CtlDataOptions options = ParseDataOptions(args, nullptr);
  if (!options.error.empty()) return Usage(options.error);
  if (options.device->kind != DeviceKind::kKeyboard && options.device->kind != DeviceKind::kMouse) {
    return Usage("macros belong to the keyboard and the mouse");
  }
  if (options.words.empty()) return Usage("an action is needed");
  const std::string& action = options.words[0];
  const bool recording = action == "record";
  if (!recording && options.words.size() - 1 != OperandCount(action)) return Usage("wrong number of arguments for '" + action + "'");
  const std::string folder = DeviceDataFolder(options);
  if (folder.empty()) {
    std::fprintf(stderr, "zt640ctl macro: the device data folder cannot be created\n");
    return 1;
  }
  MacroLibrary library;
  library.SetMacroFolder(folder, options.device->macro_library);
  if (const int status = Report(options, "macro", library.LoadMacroList()); status != 0) return status;
  const int count = static_cast<int>(library.Entries().size());

  int position = -1;
  const bool positional = action == "rename" || action == "delete" || action == "export" || action == "show";
  if (positional && !ParsePosition(options.words[1], count, &position)) {
    return Usage("no macro at position '" + options.words[1] + "'");
  }

  PanelResult result;
  if (recording) {
    return RecordMacro(options, library, std::vector<std::string>(options.words.begin() + 1, options.words.end()));
  } else if (action == "list") {
    for (int i = 0; i < count; ++i) {
      const MacroEntry& entry = library.Entries()[static_cast<size_t>(i)];
      std::printf("%d\t%s\t%s\n", i, entry.name.c_str(), entry.guid.c_str());
    }
    return 0;
  } else if (action == "add") {
    result = library.AddMacro();
  } else if (action == "rename") {
    library.SelectMacro(position);
    library.SetNameEditText(options.words[2]);
    result = library.RenameMacro();
    // A blank name is ignored without a message in the window; here it is an error.
    if (result.status == PanelStatus::kUnchanged && result.reason_key == message_key::kNameBlank) {
      result.message_key = message_key::kNameBlank;
    }
  } else if (action == "delete") {
    return DeleteMacro(options, folder, library, position);
  } else if (action == "import") {
    result = library.ImportMacro(options.words[1]);
  } else if (action == "export") {
    library.SelectMacro(position);
    result = library.ExportMacro(options.words[2]);
  } else if (action == "show") {
    library.SelectMacro(position);
    ShowEvents(options, library);
    return 0;
  } else {
    return Usage("unknown action '" + action + "'");
  }
  const int status = Report(options, "macro", result);
  if (status == 0 && !result.value.empty()) std::printf("%s\n", result.value.c_str());
  return status;
}

const CtlRegistration registration{{"macro", kUsage, RunMacro}};

}  // namespace
}  // namespace zt640::ctl
