#include "audio/audio_lighting.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <utility>

#include "audio/music_wnd.h"
#include "platform/diag/debug_output.h"

namespace zt640 {

AudioLighting::Capture::Capture(AudioLighting& owner, Setup& setup)
    : link(setup.runtime_folder, setup.command_message, std::move(setup.own_handle)),
      watchdog(
          CaptureWatchdog::Actions{
              .capture_running = [this] { return link.CaptureRunning(); },
              .start = std::move(setup.start_capture),
              .connect = [this] { return link.ConnectAudioCapture(); },
              .disconnect = [this] { link.DisconnectAudioCapture(); },
              // The report reaches the owner on the UI thread, if it is still there.
              .start_failed =
                  [guard = QPointer<AudioLighting>(&owner)] {
                    QMetaObject::invokeMethod(
                        QCoreApplication::instance(),
                        [guard] {
                          if (guard) emit guard->CaptureStartFailed();
                        },
                        Qt::QueuedConnection);
                  },
          },
          setup.timing) {}

AudioLighting::AudioLighting(Setup setup, QObject* parent)
    : QObject(parent), capture_(std::make_shared<Capture>(*this, setup)) {}

AudioLighting::~AudioLighting() = default;

platform::WorkerSlots::Body AudioLighting::WatchdogBody() {
  return [capture = capture_](const platform::Event& stop) { capture->watchdog.Run(stop); };
}

void AudioLighting::LoadStyles(const std::string& user_path, const std::string& default_path) {
  (void)styles_.Open(user_path, default_path);  // reported inside; the defaults still read
  (void)capture_->link.SendAudioStyle(styles_.LoadAudioStyles());  // normally no capture window yet
}

void AudioLighting::SetKeyboardWantsAudio(bool wanted) {
  keyboard_wants_ = wanted;
  UpdateWanted();
}

void AudioLighting::UpdateWanted() { capture_->watchdog.SetWanted(keyboard_wants_ || !music_.isNull()); }

bool AudioLighting::SendSliderCommand(AudioCaptureLink::Command command, int value) {
  return capture_->link.SendCommand(command, value);
}

MusicWnd* AudioLighting::OpenMusicWindow() const { return music_.data(); }

void AudioLighting::OpenMusicSettings(QWidget* owner, int dpi) {
  if (music_) return;
  MusicWnd window(owner);
  window.SetAudioStyles(styles_.LoadAudioStyles());
  QString error;
  if (!window.Setup(dpi, &error)) {
    platform::DebugOutput("music window not shown: " + error.toStdString());
    return;
  }
  music_ = &window;
  // The capture runs while the window is open, so the chosen colours can be seen.
  UpdateWanted();
  emit MusicWindowOpened(&window);
  const int result = window.ShowModal();
  if (result == 1) {
    const AudioStyleSet chosen = window.GetAudioStyles();
    (void)capture_->link.SendAudioStyle(chosen);  // without a capture window it goes at the next connect
    styles_.StoreAudioStyles(chosen);
    if (!styles_.SaveAudioStyleFile()) platform::DebugOutput("music styles not saved to " + styles_.UserPath());
  }
  music_ = nullptr;
  UpdateWanted();
}

void AudioLighting::Shutdown() {
  capture_->watchdog.SetWanted(false);
  capture_->link.DisconnectAudioCapture();
}

}  // namespace zt640
