#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "capture_state.h"
#include "platform/ipc/ipc_client.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/unique_fd.h"
#include "platform/ipc/window_address.h"
#include "sample_ring.h"
#include "sample_source.h"

namespace zt640::audiorecord {

/// The capture process: holds its named mutex, owns its command window and runs two
/// threads, one reading the sound source into a ring and one sending the analysis to the
/// connected window at a steady kBlocksPerSecond. Lives until SIGTERM/SIGINT or until
/// the window it serves disappears.
class AudioRecordApp {
 public:
  /// Seconds to wait for the utility's main window after a start, before any connect.
  static constexpr int kStartGraceSeconds = 10;

  explicit AudioRecordApp(std::unique_ptr<SampleSource> source);
  ~AudioRecordApp();
  AudioRecordApp(const AudioRecordApp&) = delete;
  AudioRecordApp& operator=(const AudioRecordApp&) = delete;

  /// Runs to the end; returns the exit status (0 also when another copy already runs).
  int Run();

 private:
  std::int64_t HandleMessage(const platform::WindowMessage& message);
  /// True while the window the process serves (or, unconnected, the utility) is there.
  [[nodiscard]] bool OwnerPresent(std::chrono::steady_clock::time_point started);
  void CaptureLoop();
  void SendLoop();
  void SignalExit();

  std::unique_ptr<SampleSource> source_;
  std::optional<platform::IpcClient> client_;
  std::uint32_t command_message_ = 0;
  std::uint64_t own_handle_ = 0;
  SampleRing ring_;
  platform::UniqueFd exit_fd_;  ///< eventfd: the sender found its window gone

  std::mutex mutex_;
  std::condition_variable changed_;          ///< state_, receiver_ or stopping_ changed
  CaptureState state_;                       ///< guarded by mutex_
  std::optional<platform::WindowAddress> receiver_;  ///< guarded by mutex_: where blocks go
  bool stopping_ = false;                    ///< guarded by mutex_
  bool owner_seen_ = false;                  ///< main thread only

  std::thread capture_thread_;
  std::thread send_thread_;
};

}  // namespace zt640::audiorecord
