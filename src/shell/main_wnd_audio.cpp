// The main window's audio-reactive lighting: the capture process's blocks, whether
// the capture is needed, the colour sliders, the music window and the audio sub-panel.
#include <QLabel>
#include <QTimer>

#include "audio/audio_lighting.h"
#include "audio/capture_program.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/mouse/mouse_page.h"
#include "platform/ipc/ipc_client.h"
#include "platform/ipc/window_handle.h"
#include "platform/paths/product_title.h"
#include "platform/paths/program_paths.h"
#include "profiles/keyboard_light_mode.h"
#include "shell/control_routes.h"
#include "shell/device_selector.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"

namespace zt640 {

namespace {
constexpr char kRecordOpenFailedKey[] = "record_open_failed_text";

struct StyleSlider {
  const char* slider;
  const char* label;
  const char* text;
  AudioCaptureLink::Command command;
};
constexpr StyleSlider kStyleSliders[] = {
    {"R_light_slider", "R_light_label", "R %1", AudioCaptureLink::Command::kStyleRed},
    {"G_light_slider", "G_light_label", "G %1", AudioCaptureLink::Command::kStyleGreen},
    {"B_light_slider", "B_light_label", "B %1", AudioCaptureLink::Command::kStyleBlue},
};
}  // namespace

void CMainWnd::SetUpAudio() {
  if (!plugins_.audio_capture || audio_ != nullptr) return;
  AudioLighting::Setup setup;
  setup.runtime_folder = runtime_folder_;
  setup.command_message = UWM_AUDIO_CAPTURE_CMD_MSG;
  // The capture process is told this window by the handle of its socket.
  setup.own_handle = [folder = runtime_folder_]() -> std::uint64_t {
    if (folder.empty()) return 0;
    const auto window = platform::IpcClient(folder).FindWindow("MainWnd", platform::kProductTitle);
    return window ? platform::WindowHandleOf(*window) : 0;
  };
  setup.start_capture = [program = CaptureProgram::Locate(platform::ProgramFolder())] {
    return CaptureProgram::Start(program);
  };
  audio_ = new AudioLighting(std::move(setup), this);
  connect(audio_, &AudioLighting::CaptureStartFailed, this,
          [this] { (void)prompts_.Message(QString::fromLatin1(kRecordOpenFailedKey), 0); });  // confirm only
  if (!plugins_.capture_watchdog) plugins_.capture_watchdog = audio_->WatchdogBody();
  audio_blocks_.SetKeyboard(FirstKeyboard());
  audio_blocks_.SetOpen(true);
}

void CMainWnd::LoadAudioStyles() {
  if (audio_ == nullptr) return;
  const std::string root = platform::UserDataRoot();
  if (root.empty()) return;
  audio_->LoadStyles(root + "/" + AudioStyleFile::kFileName,
                     platform::ResourceFolder("DefaultData") + "/" + AudioStyleFile::kFileName);
}

CKalvexUSBDevice* CMainWnd::FirstKeyboard() const {
  if (!selector_) return nullptr;
  for (CKalvexUSBDevice* device : selector_->DevicesInKindOrder()) {
    if (dynamic_cast<CKalvexKeyboardDevice*>(device) != nullptr) return device;
  }
  return nullptr;
}

void CMainWnd::UpdateAudioDemand() {
  if (audio_ == nullptr || destroyed_) return;
  // Devices come and go with the messages that end here.
  audio_blocks_.SetKeyboard(FirstKeyboard());
  bool wanted = false;
  // Only a keyboard whose lights the host streams needs the capture; not while asleep.
  if (selector_ && system_awake_ && light_control_ != 0) {
    for (CKalvexUSBDevice* device : selector_->DevicesInKindOrder()) {
      if (dynamic_cast<CKalvexKeyboardDevice*>(device) == nullptr) continue;
      const auto mode = static_cast<KeyboardLightMode>(device->GetLightState().mode());
      wanted = wanted || IsHostStreamedMode(mode);
    }
  }
  audio_->SetKeyboardWantsAudio(wanted);
}

bool CMainWnd::OnAudioNotify(const ui::Notification& notification) {
  const QString& kind = notification.kind;
  const QString& name = notification.sender_name;
  // The audio sub-panel edits the selected device's audio light setting.
  DevicePage* page = SelectedKeyboardPage();
  if (page == nullptr) page = SelectedMousePage();
  if (page != nullptr && page->OnAudioLightNotify(kind, name, notification.wparam)) return true;
  if (audio_ == nullptr) return false;
  if (kind == QLatin1String("click") && ControlRoutes::Click(name).route == ClickRoute::kMusicSettings) {
    // After this notification is handled: the window runs its own modal loop.
    QTimer::singleShot(0, this, [this] {
      if (audio_ != nullptr && !destroyed_) audio_->OpenMusicSettings(this, dpi_);
    });
    return true;
  }
  if (kind == QLatin1String("valuechanged") && ControlRoutes::ValueChanged(name) == ControlOwner::kAudioSliders) {
    for (const StyleSlider& slider : kStyleSliders) {
      if (name != QLatin1String(slider.slider)) continue;
      const int value = static_cast<int>(notification.wparam);
      (void)audio_->SendSliderCommand(slider.command, value);  // without a capture window only the label changes
      if (auto* label = FindControl<QLabel>(QLatin1String(slider.label))) {
        label->setText(QString::fromLatin1(slider.text).arg(value));
      }
    }
    return true;
  }
  return false;
}

}  // namespace zt640
