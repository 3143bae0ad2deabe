#include "audio/audio_capture_link.h"

#include <array>
#include <utility>

#include "platform/diag/debug_output.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "platform/sync/named_mutex.h"

namespace zt640 {

AudioCaptureLink::AudioCaptureLink(std::string runtime_folder, std::uint32_t command_message,
                                   std::function<std::uint64_t()> own_handle)
    : runtime_folder_(std::move(runtime_folder)), command_message_(command_message), own_handle_(std::move(own_handle)) {}

std::string AudioCaptureLink::MutexName() { return std::string(platform::kProductTitle) + "AudioRecord"; }
std::string AudioCaptureLink::WindowClass() { return std::string(platform::kProductTitle) + "AudioRecord"; }
std::string AudioCaptureLink::WindowTitle() { return std::string(platform::kProductTitle) + "AUDIORECORD"; }

std::optional<platform::WindowAddress> AudioCaptureLink::LookUp() {
  std::optional<platform::WindowAddress> found;
  if (!runtime_folder_.empty()) found = platform::IpcClient(runtime_folder_).FindWindow(WindowClass(), WindowTitle());
  const std::lock_guard lock(mutex_);
  window_ = found;
  return found;
}

std::optional<platform::WindowAddress> AudioCaptureLink::Window() const {
  const std::lock_guard lock(mutex_);
  return window_;
}

bool AudioCaptureLink::WindowKnown() const { return Window().has_value(); }

bool AudioCaptureLink::ConnectAudioCapture() {
  if (!LookUp()) return false;
  const std::uint64_t own = own_handle_ ? own_handle_() : 0;
  // Each command is sent even when one before it went unanswered, as a window does.
  const bool connected = SendCommand(Command::kConnect, static_cast<std::int64_t>(own));
  (void)SendCommand(Command::kResetAnalysis, 0);  // reported inside; the connect decides
  (void)SendCommand(Command::kStartSending, 0);
  std::optional<std::array<std::uint8_t, kStyleBlockBytes>> style;
  std::optional<platform::WindowAddress> window;
  {
    const std::lock_guard lock(mutex_);
    style = style_;
    window = window_;
  }
  if (style && window) (void)SendStyleBlock(*window, *style);  // the process keeps its own style otherwise
  return connected;
}

void AudioCaptureLink::DisconnectAudioCapture() {
  if (!LookUp()) return;
  (void)SendCommand(Command::kStopSending, 0);  // reported inside; nothing to undo
  (void)SendCommand(Command::kStopCapture, 0);
  (void)SendCommand(Command::kForgetWindow, 0);
}

bool AudioCaptureLink::CaptureRunning() const {
  if (runtime_folder_.empty()) return false;
  // Taking the lock succeeds only when no capture process holds it; it is let go at once.
  platform::NamedMutex probe;
  return probe.Create(runtime_folder_, MutexName()) == platform::NamedMutexResult::kAlreadyExists;
}

bool AudioCaptureLink::SendCommand(Command command, std::int64_t value) const {
  const std::optional<platform::WindowAddress> window = Window();
  if (!window || command_message_ == 0) return false;
  platform::WindowMessage message;
  message.message = command_message_;
  message.wparam = static_cast<std::uint64_t>(command);
  message.lparam = value;
  const platform::IpcSendOutcome outcome =
      platform::IpcClient(runtime_folder_).SendMessage(*window, message, kCommandTimeoutMs);
  if (outcome.status == platform::IpcStatus::kOk) return true;
  platform::DebugOutput("capture command " + std::to_string(static_cast<int>(command)) + ": " +
                        platform::IpcStatusText(outcome.status));
  return false;
}

std::array<std::uint8_t, AudioCaptureLink::kStyleBlockBytes> AudioCaptureLink::StyleBlock(
    const AudioStyleSet& styles) {
  // A selected style out of range (a hand-edited file) counts as the first.
  const int style = styles.selected < AudioStyleSet::kStyleCount ? styles.selected : 0;
  // Green never goes as 0: the lowest green sent is 1.
  const std::array<std::int32_t, 3> colour = {styles.Red(style), styles.Green(style) == 0 ? 1 : styles.Green(style),
                                              styles.Blue(style)};
  std::array<std::uint8_t, kStyleBlockBytes> block{};
  for (std::size_t i = 0; i < colour.size(); ++i) {
    const auto word = static_cast<std::uint32_t>(colour[i]);
    for (std::size_t b = 0; b < 4; ++b) block[4 * i + b] = static_cast<std::uint8_t>(word >> (8 * b));
  }
  return block;
}

bool AudioCaptureLink::SendAudioStyle(const AudioStyleSet& styles) {
  const std::array<std::uint8_t, kStyleBlockBytes> block = StyleBlock(styles);
  std::optional<platform::WindowAddress> window;
  {
    const std::lock_guard lock(mutex_);
    style_ = block;
    window = window_;
  }
  if (!window) return false;
  return SendStyleBlock(*window, block);
}

bool AudioCaptureLink::SendStyleBlock(const platform::WindowAddress& window, std::span<const std::uint8_t> block) const {
  const std::uint64_t own = own_handle_ ? own_handle_() : 0;
  const platform::IpcSendOutcome outcome =
      platform::IpcClient(runtime_folder_).SendCopyData(window, own, kStyleKind, block, kStyleTimeoutMs);
  platform::DebugOutput("2222222222");
  return outcome.status == platform::IpcStatus::kOk;
}

}  // namespace zt640
