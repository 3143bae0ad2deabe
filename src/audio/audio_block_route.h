#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "audio/audio_block_receiver.h"
#include "platform/ipc/window_message.h"

namespace zt640 {

class CKalvexUSBDevice;

/// Where the capture process's copy-data blocks go: taken on the main window's socket
/// thread as they arrive (60 a second would otherwise wake the UI thread for each), run
/// through the block receiver and fed to the keyboard, all under one lock.
class AudioBlockRoute {
 public:
  /// Blocks are answered 0 and dropped until the route is opened (the audio lighting is
  /// set up) and again once it is closed (the window goes).
  void SetOpen(bool open);
  /// The keyboard the values go to; null drops them. The device must outlive the route's use.
  void SetKeyboard(CKalvexUSBDevice* keyboard);

  /// Any thread. A copy-data message's result (1 when the block was the capture
  /// process's); nullopt for every other message, which goes its usual way.
  [[nodiscard]] std::optional<std::int64_t> Take(const platform::WindowMessage& message);

  /// A copy of the receiver's state.
  [[nodiscard]] AudioBlockReceiver Blocks() const;

 private:
  mutable std::mutex mutex_;
  AudioBlockReceiver blocks_;               ///< guarded by mutex_
  CKalvexUSBDevice* keyboard_ = nullptr;    ///< guarded by mutex_
  bool open_ = false;                       ///< guarded by mutex_
};

}  // namespace zt640
