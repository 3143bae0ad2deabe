#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <functional>
#include <string>

#include "audio/audio_capture_link.h"
#include "audio/audio_style_file.h"
#include "audio/capture_watchdog.h"
#include "platform/sync/worker_slots.h"

class QWidget;

namespace zt640 {

class MusicWnd;

/// Audio-reactive lighting as the main window runs it: the capture process's link and
/// watchdog, the music styles file and the music window (the blocks the capture sends
/// go through an AudioBlockRoute). The capture runs only while something needs it (a
/// keyboard shows an audio mode, or the music window is open); otherwise the capture
/// process is disconnected and the watchdog sleeps. UI thread unless said.
class AudioLighting : public QObject {
  Q_OBJECT
 public:
  struct Setup {
    std::string runtime_folder;  ///< empty: no capture process can be reached
    std::uint32_t command_message = 0;
    std::function<std::uint64_t()> own_handle;  ///< the main window's handle
    /// Starts the capture process (called on the watchdog thread); false when it failed.
    std::function<bool()> start_capture;
    CaptureWatchdog::Timing timing;
  };

  explicit AudioLighting(Setup setup, QObject* parent = nullptr);
  ~AudioLighting() override;

  /// The body of the watchdog's worker slot.
  [[nodiscard]] platform::WorkerSlots::Body WatchdogBody();

  /// Start-up's part: the user's and the default style file, then the styles sent (to
  /// a capture process already known, normally none yet).
  void LoadStyles(const std::string& user_path, const std::string& default_path);

  /// Whether a keyboard shows one of the audio modes; with the music window this
  /// decides whether the capture runs.
  void SetKeyboardWantsAudio(bool wanted);
  [[nodiscard]] bool CaptureWanted() const { return capture_->watchdog.Wanted(); }

  /// A colour slider's command (6, 7 or 8) with its value; false when not sent.
  bool SendSliderCommand(AudioCaptureLink::Command command, int value);

  /// "music_setting_btn": the modal music window, unless one is open. After OK the
  /// styles go to the capture process and into the user's file.
  void OpenMusicSettings(QWidget* owner, int dpi);
  [[nodiscard]] MusicWnd* OpenMusicWindow() const;

  /// "default_btn": the user's style file replaced by the default copy.
  void RestoreAudioStyles() { (void)styles_.RestoreAudioStyles(); }

  /// Exit, after the workers have stopped: the capture process is disconnected.
  void Shutdown();

  [[nodiscard]] AudioStyleFile& Styles() { return styles_; }
  [[nodiscard]] AudioCaptureLink& Link() { return capture_->link; }
  [[nodiscard]] const CaptureWatchdog& Watchdog() const { return capture_->watchdog; }

 signals:
  /// The capture process could not be started (raised on the UI thread).
  void CaptureStartFailed();
  /// The music window is about to be shown (tests drive it from here).
  void MusicWindowOpened(MusicWnd* window);

 private:
  void UpdateWanted();

  /// What the watchdog's thread uses, shared with it: a watchdog thread that outlives
  /// its stop wait (held up by a capture process that does not answer) and is left
  /// running still finds it alive.
  struct Capture {
    Capture(AudioLighting& owner, Setup& setup);
    AudioCaptureLink link;
    CaptureWatchdog watchdog;
  };

  std::shared_ptr<Capture> capture_;
  AudioStyleFile styles_;
  bool keyboard_wants_ = false;
  QPointer<MusicWnd> music_;
};

}  // namespace zt640
