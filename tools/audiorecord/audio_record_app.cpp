#include "audio_record_app.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "block_pacer.h"
#include "platform/diag/debug_output.h"
#include "platform/ipc/ipc_message_frame.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_connection.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/ipc/window_handle.h"
#include "platform/paths/runtime_folder.h"
#include "platform/sync/named_mutex.h"
#include "platform/sync/termination_signal.h"
#include "platform/sync/thread_name.h"
#include "spectrum_analyser.h"

namespace zt640::audiorecord {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kOwnerCheckPeriod = std::chrono::seconds(1);
constexpr auto kReopenDelay = std::chrono::seconds(2);
constexpr auto kIdleCapturePoll = std::chrono::milliseconds(100);
/// One read from the source: 20 ms of sound, fresh enough for lights that follow the
/// beat at 30 blocks a second, with half the wake-ups of 10 ms reads.
constexpr std::size_t kChunkSamples = SpectrumAnalyser::kSampleRate / 50;
/// A receiver that does not take a block in this time misses it.
constexpr std::int64_t kBlockSendTimeoutMs = 500;

bool ReceiverGone(platform::IpcStatus status) {
  return status == platform::IpcStatus::kNoWindow || status == platform::IpcStatus::kClosed;
}
}  // namespace

AudioRecordApp::AudioRecordApp(std::unique_ptr<SampleSource> source)
    : source_(std::move(source)), ring_(SpectrumAnalyser::kWindowSize) {}

AudioRecordApp::~AudioRecordApp() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (capture_thread_.joinable()) capture_thread_.join();
  if (send_thread_.joinable()) send_thread_.join();
}

int AudioRecordApp::Run() {
  const platform::RuntimeFolderResult runtime = platform::RuntimeFolder();
  if (!runtime.ok) {
    std::fprintf(stderr, "AudioRecord: %s\n", runtime.reason.c_str());
    return 1;
  }
  platform::NamedMutex mutex;
  switch (mutex.Create(runtime.path, CaptureMutexName())) {
    case platform::NamedMutexResult::kCreated: break;
    case platform::NamedMutexResult::kAlreadyExists: return 0;
    case platform::NamedMutexResult::kFailed:
      std::fprintf(stderr, "AudioRecord: cannot take the capture lock\n");
      return 1;
  }
  command_message_ = platform::RegisterWindowMessage(kCommandMessageName);
  client_.emplace(runtime.path);
  exit_fd_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  const int signal_fd = platform::TerminationSignal::Install();
  if (command_message_ == 0 || !exit_fd_.valid() || signal_fd < 0) {
    std::fprintf(stderr, "AudioRecord: cannot set up its message loop\n");
    return 1;
  }

  platform::MessageQueue queue;
  queue.SetHandler([this](const platform::WindowMessage& message) { return HandleMessage(message); });
  platform::WindowEndpoint endpoint(queue);
  const platform::EndpointResult opened = endpoint.Open(runtime.path, CaptureWindowClass(), CaptureWindowTitle());
  if (opened == platform::EndpointResult::kInUse) return 0;
  if (opened != platform::EndpointResult::kOk) {
    std::fprintf(stderr, "AudioRecord: cannot open its window\n");
    return 1;
  }
  own_handle_ = platform::WindowHandleOf(platform::WindowAddress{endpoint.socket_path()});

  capture_thread_ = std::thread([this] { CaptureLoop(); });
  send_thread_ = std::thread([this] { SendLoop(); });

  const Clock::time_point started = Clock::now();
  Clock::time_point next_check = started + kOwnerCheckPeriod;
  bool running = true;
  while (running) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next_check - Clock::now()).count();
    pollfd fds[3] = {{queue.WakeFd(), POLLIN, 0}, {signal_fd, POLLIN, 0}, {exit_fd_.get(), POLLIN, 0}};
    ::poll(fds, 3, static_cast<int>(std::max<std::int64_t>(wait, 0)));
    queue.Dispatch();
    if ((fds[1].revents & POLLIN) != 0 && platform::TerminationSignal::TakePending() != 0) running = false;
    if ((fds[2].revents & POLLIN) != 0) running = false;
    if (running && Clock::now() >= next_check) {
      running = OwnerPresent(started);
      next_check = Clock::now() + kOwnerCheckPeriod;
    }
  }
  platform::DebugOutput("AudioRecord stop");
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  capture_thread_.join();
  send_thread_.join();
  queue.Close();
  endpoint.Close();
  return 0;
}

std::int64_t AudioRecordApp::HandleMessage(const platform::WindowMessage& message) {
  std::int64_t result = 0;
  if (message.message == command_message_) {
    std::optional<platform::WindowAddress> receiver;
    bool connect = message.wparam == static_cast<std::uint64_t>(CaptureCommand::kConnect);
    if (connect) {
      // The handle names the receiving window; a sender whose handle cannot be found
      // is taken to mean the utility's main window.
      receiver = platform::FindWindowByHandle(*client_, static_cast<std::uint64_t>(message.lparam));
      if (!receiver) receiver = client_->FindWindow(kMainWindowClass, platform::kProductTitle);
    }
    const std::lock_guard lock(mutex_);
    result = state_.HandleCommand(message.wparam, message.lparam);
    if (connect) receiver_ = receiver;
    if (!state_.connected()) receiver_.reset();
  } else if (message.message == platform::kWmCopyData) {
    const std::lock_guard lock(mutex_);
    result = state_.HandleCopyData(message.copy_data_kind, message.copy_data);
  }
  changed_.notify_all();
  return result;
}

bool AudioRecordApp::OwnerPresent(Clock::time_point started) {
  std::optional<platform::WindowAddress> receiver;
  bool connected = false;
  {
    const std::lock_guard lock(mutex_);
    connected = state_.connected();
    receiver = receiver_;
  }
  if (connected) {
    if (!receiver) return false;
    return platform::FindWindowByHandle(*client_, platform::WindowHandleOf(*receiver)).has_value();
  }
  if (client_->FindWindow(kMainWindowClass, platform::kProductTitle)) {
    owner_seen_ = true;
    return true;
  }
  // Unconnected: leave once the utility's window is gone, or never came after a start.
  return !owner_seen_ && Clock::now() - started < std::chrono::seconds(kStartGraceSeconds);
}

void AudioRecordApp::SignalExit() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(exit_fd_.get(), &one, sizeof(one));
}

void AudioRecordApp::CaptureLoop() {
  platform::NameThisThread("AudioCapture");
  std::vector<float> chunk(kChunkSamples);
  bool open = false;
  bool reported = false;
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!state_.capturing()) {
      if (open) {
        source_->Close();
        open = false;
        ring_.Clear();
      }
      changed_.wait_for(lock, kIdleCapturePoll);
      continue;
    }
    lock.unlock();
    if (!open) {
      std::string reason;
      open = source_->Open(reason);
      if (!open && !reported) {
        // Without a sound server the ring stays silent, so silence is sent.
        platform::DebugOutput("AudioRecord: no sound source: " + reason);
        reported = true;
      }
      lock.lock();
      if (!open) changed_.wait_for(lock, kReopenDelay);
      continue;
    }
    if (source_->Read(chunk)) {
      ring_.Push(chunk);
    } else {
      open = false;
      ring_.Clear();
    }
    lock.lock();
  }
  lock.unlock();
  if (open) source_->Close();
}

void AudioRecordApp::SendLoop() {
  platform::NameThisThread("AudioSend");
  SpectrumAnalyser analyser;
  AnalysisResult result;
  std::vector<float> samples(SpectrumAnalyser::kWindowSize);
  BlockPacer pacer(Clock::now(), kBlocksPerSecond);
  std::uint32_t reset_seen = 0;
  // The blocks go on one connection kept open, not one connection per block.
  platform::WindowConnection connection;
  std::unique_lock lock(mutex_);
  const auto may_send = [this] { return stopping_ || (state_.sending() && receiver_.has_value()); };
  while (!stopping_) {
    if (!may_send()) {
      connection.Close();
      // Nothing to send: sleep until asked instead of waking 30 times a second.
      changed_.wait(lock, may_send);
      pacer = BlockPacer(Clock::now(), kBlocksPerSecond);
      continue;
    }
    if (changed_.wait_until(lock, pacer.NextDeadline(), [this] { return stopping_; })) break;
    pacer.Advance(Clock::now());
    const bool sending = state_.sending() && receiver_.has_value();
    const bool capturing = state_.capturing();
    const std::uint32_t reset = state_.reset_generation();
    const StyleWeights style = state_.style();
    const std::optional<platform::WindowAddress> receiver = receiver_;
    lock.unlock();
    if (reset != reset_seen) {
      ring_.Clear();
      reset_seen = reset;
    }
    if (sending) {
      if (capturing) {
        ring_.CopyLatest(samples);
      } else {
        std::fill(samples.begin(), samples.end(), 0.0f);
      }
      analyser.Analyse(samples, style, result);
      // Both blocks go in one write: a window that takes them on its socket thread wakes once for the pair.
      const std::array<platform::WindowMessage, 2> blocks{
          platform::CopyDataMessage(own_handle_, static_cast<std::uint64_t>(BlockKind::kSpectrum),
                                    EncodeValues(result.spectrum)),
          platform::CopyDataMessage(own_handle_, static_cast<std::uint64_t>(BlockKind::kLevels),
                                    EncodeValues(result.levels))};
      const auto outcomes = connection.SendMessages(*receiver, blocks, kBlockSendTimeoutMs);
      if (std::any_of(outcomes.begin(), outcomes.end(), [](const auto& outcome) { return ReceiverGone(outcome.status); })) {
        SignalExit();
      }
    }
    lock.lock();
  }
}

}  // namespace zt640::audiorecord
