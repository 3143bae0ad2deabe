// zt640ctl broadcast NAME [WPARAM [LPARAM]]: posts a message to every listening window.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "ctl_message_args.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/runtime_folder.h"

namespace zt640::ctl {
namespace {

int RunBroadcast(const CtlArgs& args) {
  platform::WindowMessage message;
  std::string error;
  if (!ParseMessageArgs(args.words, message, error)) {
    std::fprintf(stderr, "zt640ctl broadcast: %s\nusage: zt640ctl broadcast NAME [WPARAM [LPARAM]]\n", error.c_str());
    return 2;
  }
  const platform::RuntimeFolderResult runtime = platform::RuntimeFolder();
  if (!runtime.ok) {
    std::fprintf(stderr, "zt640ctl broadcast: %s\n", runtime.reason.c_str());
    return 1;
  }
  const int reached = platform::IpcClient(runtime.path).Broadcast(message);
  std::printf("reached %d window%s\n", reached, reached == 1 ? "" : "s");
  return 0;
}

const CtlRegistration registration{
    {"broadcast", "broadcast NAME [WPARAM [LPARAM]]  post a message to every listening window", RunBroadcast}};

}  // namespace
}  // namespace zt640::ctl
