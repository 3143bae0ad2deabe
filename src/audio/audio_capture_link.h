#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "audio/audio_style_set.h"
#include "platform/ipc/window_address.h"

namespace zt640 {

/// The conversation with the capture process through its window: the look-up, the
/// connect and disconnect command sequences, the colour slider commands and the
/// style block. The window found by the last connect or disconnect stays in use until
/// the next one. Usable from the UI thread and the watchdog thread.
class AudioCaptureLink {
 public:
  /// The command codes of the registered command message (wParam).
  enum class Command : std::uint64_t {
    kConnect = 0,        ///< lParam: the handle of the window that receives the blocks
    kStartSending = 1,
    kStopSending = 2,
    kResetAnalysis = 3,
    kStopCapture = 4,
    kForgetWindow = 5,
    kStyleRed = 6,       ///< lParam: the slider's value
    kStyleGreen = 7,
    kStyleBlue = 8,
  };
  /// Copy-data kind and size of the style block.
  static constexpr std::uint64_t kStyleKind = 10;
  static constexpr std::size_t kStyleBlockBytes = 40;
  static constexpr std::int64_t kStyleTimeoutMs = 1500;
  /// A capture process that does not answer a command in this time is passed over,
  /// so a hung process never holds up the window.
  static constexpr std::int64_t kCommandTimeoutMs = 2000;

  /// `command_message` is this process's id of the registered command message;
  /// `own_handle` gives the handle of the window that receives the blocks (0: none).
  AudioCaptureLink(std::string runtime_folder, std::uint32_t command_message, std::function<std::uint64_t()> own_handle);

  /// Names of the capture process's lock and window, built from the product title.
  [[nodiscard]] static std::string MutexName();    ///< title + "AudioRecord"
  [[nodiscard]] static std::string WindowClass();  ///< title + "AudioRecord"
  [[nodiscard]] static std::string WindowTitle();  ///< title + "AUDIORECORD"

  /// Looks the window up, then sends 0 (with the receiving window), 3 and 1, then the
  /// style last given to `SendAudioStyle` (so a restarted process keeps the user's
  /// style). False when no capture window was found.
  bool ConnectAudioCapture();
  /// Looks the window up, then sends 2, 4 and 5.
  void DisconnectAudioCapture();
  /// True while the capture process holds its lock.
  [[nodiscard]] bool CaptureRunning() const;

  /// One command to the known window; false when none is known or it did not answer.
  bool SendCommand(Command command, std::int64_t value) const;
  /// The selected style's R, G, B (a G of 0 goes as 1) in a 40-byte block to the known
  /// window; false when none is known or it did not take the block in time. The block
  /// is remembered for the next connect either way.
  bool SendAudioStyle(const AudioStyleSet& styles);
  /// The 40-byte block `SendAudioStyle` sends.
  [[nodiscard]] static std::array<std::uint8_t, kStyleBlockBytes> StyleBlock(const AudioStyleSet& styles);

  [[nodiscard]] bool WindowKnown() const;

 private:
  [[nodiscard]] std::optional<platform::WindowAddress> LookUp();
  [[nodiscard]] std::optional<platform::WindowAddress> Window() const;

  std::string runtime_folder_;
  std::uint32_t command_message_;
  std::function<std::uint64_t()> own_handle_;
  mutable std::mutex mutex_;
  bool SendStyleBlock(const platform::WindowAddress& window, std::span<const std::uint8_t> block) const;

  std::optional<platform::WindowAddress> window_;  ///< guarded by mutex_
  std::optional<std::array<std::uint8_t, kStyleBlockBytes>> style_;  ///< guarded by mutex_
};

}  // namespace zt640
