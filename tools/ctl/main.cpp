// zt640ctl: command-line front end on the utility's libraries (no Qt).
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ctl_command.h"
#include "ctl_device_data.h"

namespace zt640::ctl {

namespace {
std::vector<CtlCommand>& MutableCommands() {
  static std::vector<CtlCommand> commands;
  return commands;
}

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: zt640ctl [--root DIR] <command> [arguments]\ncommands:\n");
  for (const CtlCommand& command : CtlCommands()) std::fprintf(out, "  %s\n", command.usage);
}
}  // namespace

CtlRegistration::CtlRegistration(const CtlCommand& command) { MutableCommands().push_back(command); }

const std::vector<CtlCommand>& CtlCommands() { return MutableCommands(); }

}  // namespace zt640::ctl

int main(int argc, char** argv) {
  using namespace zt640::ctl;
  CtlArgs args;
  const char* env_root = std::getenv("ZT640_HID_ROOT");
  args.hid_root = (env_root != nullptr && *env_root != '\0') ? env_root : "/";
  std::string name;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--root") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zt640ctl: --root needs a folder\n");
        return 2;
      }
      args.hid_root = argv[++i];
    } else if (name.empty()) {
      name = word;
    } else {
      args.words.push_back(word);
    }
  }
  PrintDamagedFileNotices();
  // The HID layer and the libraries read the root from the environment.
  setenv("ZT640_HID_ROOT", args.hid_root.c_str(), 1);
  if (name.empty() || name == "help" || name == "--help" || name == "-h") {
    PrintUsage(name.empty() ? stderr : stdout);
    return name.empty() ? 2 : 0;
  }
  for (const CtlCommand& command : CtlCommands()) {
    if (name == command.name) return command.run(args);
  }
  std::fprintf(stderr, "zt640ctl: unknown command '%s'\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
