// zt640ctl audio styles | audio level [--seconds N]: the music styles as the utility keeps
// them, and the level values of the running capture process, read the way the utility
// connects to it.
#include <poll.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include <json/json.h>

#include "audio_record_protocol.h"
#include "ctl_command.h"
#include "platform/ipc/ipc_client.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/ipc/window_handle.h"
#include "platform/paths/program_paths.h"
#include "platform/paths/runtime_folder.h"
#include "platform/sync/termination_signal.h"
#include "profiles/global_utils.h"

namespace zt640::ctl {
namespace {

namespace ar = audiorecord;
using Clock = std::chrono::steady_clock;

constexpr char kStyleFileName[] = "AudioFile.json";
constexpr int kStyleCount = 4;
constexpr std::uint32_t kMaxSeconds = 24 * 3600;
constexpr std::uint32_t kDefaultSeconds = 5;
constexpr std::int64_t kCommandTimeoutMs = 2000;
constexpr char kUsage[] = "usage: zt640ctl audio styles | audio level [--seconds N]\n";

/// The "Device" object of the user's style file, else of the default copy (null when neither reads).
Json::Value StyleDevice() {
  const std::string user_root = platform::UserDataRoot();
  if (!user_root.empty()) {
    Json::Value device = CGlobalUtils::ParseJsonFile(user_root + "/" + kStyleFileName)["Device"];
    if (!device.isNull()) return device;
  }
  return CGlobalUtils::ParseJsonFile(platform::ResourceFolder("DefaultData") + "/" + kStyleFileName)["Device"];
}

/// An integer member cut to 8 bits; missing or not a number reads as 0.
int StyleByte(const Json::Value& info, const std::string& key) {
  const Json::Value& value = info[key];
  if (!value.isNumeric()) return 0;
  return static_cast<int>(static_cast<std::uint8_t>(value.asLargestInt() & 0xFF));
}

int RunStyles() {
  const Json::Value device = StyleDevice();
  const Json::Value info = device.isObject() ? device["AudioLightInfo"] : Json::Value();
  const bool present = info.isObject();
  if (!present) std::fprintf(stderr, "zt640ctl audio: no style setting found; styles read as zero\n");
  const int selected = present ? StyleByte(info, "nAudioStyle") : 0;
  for (int s = 0; s < kStyleCount; ++s) {
    const std::string digit = std::to_string(s);
    const Json::Value& name = present ? info["nStyleName" + std::to_string(s + 1)] : Json::Value();
    std::printf("%d R=%d G=%d B=%d name=%s%s\n", s + 1, present ? StyleByte(info, "nStyleR" + digit) : 0,
                present ? StyleByte(info, "nStyleG" + digit) : 0, present ? StyleByte(info, "nStyleB" + digit) : 0,
                name.isString() ? name.asString().c_str() : "", s == selected ? " selected" : "");
  }
  return 0;
}

bool ParseSeconds(const std::string& text, std::uint32_t* seconds) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long value = std::stoul(text);
  if (value == 0 || value > kMaxSeconds) return false;
  *seconds = static_cast<std::uint32_t>(value);
  return true;
}

bool SendCommand(const platform::IpcClient& client, const platform::WindowAddress& window, std::uint32_t message,
                 ar::CaptureCommand code, std::int64_t value) {
  platform::WindowMessage command;
  command.message = message;
  command.wparam = static_cast<std::uint64_t>(code);
  command.lparam = value;
  const platform::IpcSendOutcome outcome = client.SendMessage(window, command, kCommandTimeoutMs);
  if (outcome.status != platform::IpcStatus::kOk) {
    std::fprintf(stderr, "zt640ctl audio: command %d: %s\n", static_cast<int>(code),
                 platform::IpcStatusText(outcome.status));
    return false;
  }
  return true;
}

int RunLevel(std::uint32_t seconds) {
  const platform::RuntimeFolderResult runtime = platform::RuntimeFolder();
  if (!runtime.ok) {
    std::fprintf(stderr, "zt640ctl audio: %s\n", runtime.reason.c_str());
    return 1;
  }
  const platform::IpcClient client(runtime.path);
  const auto capture = client.FindWindow(ar::CaptureWindowClass(), ar::CaptureWindowTitle());
  if (!capture) {
    std::fprintf(stderr, "zt640ctl audio: the capture process is not running\n");
    return 1;
  }
  const std::uint32_t message = platform::RegisterWindowMessage(ar::kCommandMessageName);
  const int signal_fd = platform::TerminationSignal::Install();

  // A window of our own receives the blocks, as the utility's main window does.
  ar::LevelBlock levels{};
  std::uint64_t level_blocks = 0;
  platform::MessageQueue queue;
  queue.SetHandler([&](const platform::WindowMessage& received) -> std::int64_t {
    if (received.message != platform::kWmCopyData ||
        received.copy_data_kind != static_cast<std::uint64_t>(ar::BlockKind::kLevels) || received.copy_data.empty()) {
      return 0;
    }
    ar::DecodeValues(received.copy_data, levels);
    ++level_blocks;
    return 1;
  });
  platform::WindowEndpoint endpoint(queue);
  if (endpoint.Open(runtime.path, "zt640ctl", "audio level " + std::to_string(::getpid())) !=
      platform::EndpointResult::kOk) {
    std::fprintf(stderr, "zt640ctl audio: cannot open a window to receive the blocks\n");
    return 1;
  }
  const auto own = static_cast<std::int64_t>(platform::WindowHandleOf(platform::WindowAddress{endpoint.socket_path()}));
  if (message == 0 || !SendCommand(client, *capture, message, ar::CaptureCommand::kConnect, own) ||
      !SendCommand(client, *capture, message, ar::CaptureCommand::kResetAnalysis, 0) ||
      !SendCommand(client, *capture, message, ar::CaptureCommand::kStartSending, 0)) {
    return 1;
  }

  bool interrupted = false;
  const Clock::time_point start = Clock::now();
  for (std::uint32_t second = 1; second <= seconds && !interrupted; ++second) {
    const Clock::time_point due = start + std::chrono::seconds(second);
    for (auto now = Clock::now(); now < due && !interrupted; now = Clock::now()) {
      pollfd fds[2] = {{queue.WakeFd(), POLLIN, 0}, {signal_fd, POLLIN, 0}};
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
      ::poll(fds, signal_fd >= 0 ? 2 : 1, static_cast<int>(wait));
      queue.Dispatch();
      if (signal_fd >= 0 && (fds[1].revents & POLLIN) != 0 && platform::TerminationSignal::TakePending() != 0) {
        interrupted = true;
      }
    }
    if (!interrupted) {
      std::printf("%d %d %d %d %d %d\n", levels[0], levels[1], levels[2], levels[3], levels[4], levels[5]);
      std::fflush(stdout);
    }
  }

  // Hand the capture process back to the utility when it runs, else let it go quiet.
  bool released = false;
  if (const auto main = client.FindWindow(ar::kMainWindowClass, platform::kProductTitle)) {
    const auto handle = static_cast<std::int64_t>(platform::WindowHandleOf(*main));
    released = SendCommand(client, *capture, message, ar::CaptureCommand::kConnect, handle) &&
               SendCommand(client, *capture, message, ar::CaptureCommand::kResetAnalysis, 0) &&
               SendCommand(client, *capture, message, ar::CaptureCommand::kStartSending, 0);
  } else {
    released = SendCommand(client, *capture, message, ar::CaptureCommand::kStopSending, 0) &&
               SendCommand(client, *capture, message, ar::CaptureCommand::kStopCapture, 0) &&
               SendCommand(client, *capture, message, ar::CaptureCommand::kForgetWindow, 0);
  }
  if (!released) std::fprintf(stderr, "zt640ctl audio: the capture process was not released\n");
  queue.Close();
  endpoint.Close();
  if (level_blocks == 0) {
    std::fprintf(stderr, "zt640ctl audio: no level block arrived\n");
    return 1;
  }
  return 0;
}

int RunAudio(const CtlArgs& args) {
  const auto& words = args.words;
  if (words.size() == 1 && words[0] == "styles") return RunStyles();
  if (!words.empty() && words[0] == "level") {
    std::uint32_t seconds = kDefaultSeconds;
    if (words.size() == 3 && words[1] == "--seconds" && ParseSeconds(words[2], &seconds)) return RunLevel(seconds);
    if (words.size() == 1) return RunLevel(seconds);
    std::fprintf(stderr, "zt640ctl audio level: --seconds needs a number of seconds from 1 to 86400\n%s", kUsage);
    return 2;
  }
  std::fputs(kUsage, stderr);
  return 2;
}

const CtlRegistration registration{
    {"audio", "audio styles | audio level [--seconds N]  music styles; level values of the capture process", RunAudio}};

}  // namespace
}  // namespace zt640::ctl
