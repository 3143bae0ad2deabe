// zt640ctl send NAME [WPARAM [LPARAM]]: sends a message to the running utility's main window.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "ctl_message_args.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "platform/paths/runtime_folder.h"

namespace zt640::ctl {
namespace {

constexpr std::int64_t kSendTimeoutMs = 5000;

int RunSend(const CtlArgs& args) {
  platform::WindowMessage message;
  std::string error;
  if (!ParseMessageArgs(args.words, message, error)) {
    std::fprintf(stderr, "zt640ctl send: %s\nusage: zt640ctl send NAME [WPARAM [LPARAM]]\n", error.c_str());
    return 2;
  }
  const platform::RuntimeFolderResult runtime = platform::RuntimeFolder();
  if (!runtime.ok) {
    std::fprintf(stderr, "zt640ctl send: %s\n", runtime.reason.c_str());
    return 1;
  }
  const platform::IpcClient client(runtime.path);
  const auto window = client.FindWindow("MainWnd", platform::kProductTitle);
  if (!window) {
    std::fprintf(stderr, "zt640ctl send: the utility is not running\n");
    return 1;
  }
  const platform::IpcSendOutcome outcome = client.SendMessage(*window, message, kSendTimeoutMs);
  if (outcome.status != platform::IpcStatus::kOk) {
    std::fprintf(stderr, "zt640ctl send: %s\n", platform::IpcStatusText(outcome.status));
    return 1;
  }
  std::printf("result %lld\n", static_cast<long long>(outcome.result));
  return 0;
}

const CtlRegistration registration{{"send", "send NAME [WPARAM [LPARAM]]  send a message to the running utility", RunSend}};

}  // namespace
}  // namespace zt640::ctl
