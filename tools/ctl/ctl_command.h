#pragma once

#include <string>
#include <vector>

namespace zt640::ctl {

/// Arguments after the subcommand name, with the global options already taken out.
struct CtlArgs {
  std::vector<std::string> words;  ///< positional words and subcommand options, in order
  std::string hid_root;            ///< --root DIR, else $ZT640_HID_ROOT, else "/"
};

/// One `zt640ctl <name> ...` subcommand. `run` returns the process exit status.
struct CtlCommand {
  const char* name;
  const char* usage;  ///< one line, shown by `zt640ctl help`
  int (*run)(const CtlArgs& args);
};

/// Adds a subcommand to the table; each ctl_<name>.cpp registers its own with a
/// file-scope `const CtlRegistration registration{{...}};`.
struct CtlRegistration {
  explicit CtlRegistration(const CtlCommand& command);
};

[[nodiscard]] const std::vector<CtlCommand>& CtlCommands();

}  // namespace zt640::ctl
