#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <array>
#include <deque>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <mutex>
#include <vector>
#include <string>

#include "audio/audio_block_route.h"
#include "platform/sync/worker_slots.h"
#include "shell/light_sync.h"
#include "shell/main_wnd_plugins.h"
#include "shell/skin_choice.h"
#include "shell/system_settings.h"
#include "ui/panel_prompts.h"
#include "ui/tray_icon.h"
#include "ui/window_impl_base.h"
#include "updateclient/update_target.h"

class QPushButton;

namespace zt640::ui {
struct LanguageEntry;
}  // namespace zt640::ui

namespace zt640 {
class AudioLighting;
class CAboutWnd;
class CKalvexUSBDevice;
class CSetWnd;
class CSkinFrame;
class DevicePanelSink;
class HookControl;
class MacroHookRoutes;
class DeviceSelector;
class HeadsetPage;
class KeyboardPage;
class LightingDevicePage;
class MousePage;
struct ClickTarget;
class PowerBroadcast;
}  // namespace zt640

namespace zt640 {

/// The main window: caption and tool buttons, the device selector and pages, the tray
/// icon and menu, the 20 worker slots, start-up's "windowinit" sequence and the orderly
/// shut-down.
class CMainWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr std::size_t kWorkerSlotCount = 20;
  static constexpr std::size_t kDiscoverySlot = 0;
  static constexpr std::size_t kCaptureWatchdogSlot = 1;
  static constexpr std::size_t kLightSyncSlot = 8;
  /// The once-a-day update check after start-up.
  static constexpr std::size_t kUpdateCheckSlot = 2;
  /// How long after "windowinit" the update check starts: the devices present at
  /// start-up have been found and opened by then.
  static constexpr int kUpdateCheckDelayMs = 10000;
  static constexpr int kWorkerStopWaitMs = 1000;

  static constexpr int kScaleTimer = 1011;
  static constexpr int kTrayMenuTimer = 1032;
  static constexpr int kProfileSwitchTimer = 1055;
  static constexpr int kProfileSwitchDelayMs = 400;
  /// How soon a user action held back while a device worker held its device is tried again.
  static constexpr int kHeldBackRetryMs = 5;
  static constexpr int kGameEventTimer = 1066;
  static constexpr int kUpdateCheckTimer = 1077;
  /// A message other programs send for the trace only.
  static constexpr std::uint32_t kTraceMessage = 1224;
  static constexpr std::uint32_t kTrayIconMessage = 1025;
  /// The settings window's language choice (wParam the language index).
  static constexpr std::uint32_t kLanguageChangedMessage = 3089;
  /// Everything is current: the new-update mark of "setbtn" goes.
  static constexpr std::uint32_t kClearUpdateMarkMessage = 3094;
  /// Opens the settings and update window, centred.
  static constexpr std::uint32_t kOpenSettingsMessage = 3093;
  /// The keyboard's firmware report (wParam the product id, lParam the device version).
  static constexpr std::uint32_t kFirmwareReportMessage = 3332;
  /// The language keys of "control_light_status": shown while the program drives the
  /// lighting ("不控制灯光", a click stops it) and while it does not ("控制灯光").
  static constexpr const char* kLightControlStopKey = "control_light_stop_text";
  static constexpr const char* kLightControlStartKey = "control_light_start_text";

  static constexpr int kInitialWidth = 800;
  static constexpr int kInitialHeight = 572;
  static constexpr int kScaledWidth = 1000;
  static constexpr int kScaledHeight = 640;

  /// `runtime_folder` is where the window listens for other processes (empty: it does
  /// not); `plugins` are the subsystems started at "windowinit".
  CMainWnd(std::string runtime_folder, MainWndPlugins plugins);
  ~CMainWnd() override;

  /// Runs the shut-down once: tray icon removed, window hidden, every stop event set,
  /// each worker waited for at most 1000 ms (one that does not stop is detached and
  /// logged), the capture process stopped, messages refused, the event loop told to end.
  void Destroy();

  /// The scale choice of timer 1011 for a monitor rectangle: 144 dots per inch on a
  /// monitor above 1500 x 960 pixels, else 96; the window is sized 1000 x 640 at 96 and
  /// grown with the scale, or to what the pages need to show whole when that is more,
  /// but never beyond `available` (the part of the monitor free of panels; empty: the
  /// whole monitor), where the pages scroll instead; then it is centred. A maximised
  /// or full-screen window takes the scale but keeps the geometry its window manager
  /// gave it; a minimised or hidden window stays so.
  void RunScaleChoice(const QRect& monitor, const QRect& available = QRect());

  /// Where the scale choice reads the rectangle of the monitor nearest the window
  /// (tests give their own monitors, taken as free of panels); by default the
  /// window's screen.
  void SetMonitorSource(std::function<QRect()> source) { monitor_source_ = std::move(source); }

  /// The visible-device check, restore and raise of the activation message.
  void ShowAndRaise();

  /// Start in the tray: the first activation message, which the start-up's first
  /// discovery pass sends, leaves the window hidden (minimised when there is no tray);
  /// every later one shows it. Call before `Create`.
  void StartHidden() { start_hidden_ = true; }

  [[nodiscard]] int Scale() const { return dpi_; }
  [[nodiscard]] bool IsDestroyed() const { return destroyed_; }
  [[nodiscard]] bool HasDetachedWorkers() const { return detached_workers_ > 0; }
  [[nodiscard]] platform::WorkerSlots& Workers() { return workers_; }
  [[nodiscard]] int ScreenWidth() const { return screen_width_; }
  [[nodiscard]] int ScreenHeight() const { return screen_height_; }
  /// The devices and their selector entries; null before "windowinit" or without a catalogue.
  [[nodiscard]] DeviceSelector* Devices() const { return selector_.get(); }
  /// 0 between a suspend and the following resume: device messages are ignored then.
  [[nodiscard]] bool SystemAwake() const { return system_awake_; }

  /// The message box and file dialogs the panels use; tests script them.
  void SetPrompts(ui::PanelPrompts prompts) { prompts_ = std::move(prompts); }
  /// The device of the selected selector entry; null when none is selected.
  [[nodiscard]] CKalvexUSBDevice* SelectedDevice() const;
  /// The page of the selected device when it is the keyboard's.
  [[nodiscard]] KeyboardPage* SelectedKeyboardPage() const;
  /// The page of the selected device when it is the mouse's.
  [[nodiscard]] MousePage* SelectedMousePage() const;
  /// The page of the selected device when it is the mouse pad's or the headset's.
  [[nodiscard]] LightingDevicePage* SelectedLightingPage() const;
  /// The page of the selected device when it is the headset's.
  [[nodiscard]] HeadsetPage* SelectedHeadsetPage() const;
  /// Whether this program drives the devices' lighting (the light-control flag).
  [[nodiscard]] bool LightControl() const { return light_control_ != 0; }
  /// The ids of the four game event messages in this process.
  [[nodiscard]] const std::array<std::uint32_t, 4>& GameEventMessages() const { return game_event_messages_; }
  [[nodiscard]] const SharedSyncEffect& RememberedSyncEffect() const { return sync_effect_; }
  /// Audio-reactive lighting; null unless the plugins ask for it.
  [[nodiscard]] AudioLighting* Audio() const { return audio_; }
  /// Makes the startup devices (the mouse and keyboard objects) unless they exist.
  /// Left alone, the window makes them right after its first drawing, when it goes
  /// to the tray, or before it handles the first device message, whichever comes first.
  void MakeStartupDevices();
  [[nodiscard]] bool StartupDevicesMade() const { return selector_ != nullptr && !startup_devices_pending_; }

  /// Switches the interface language to entry `index` of "Language.config": the fonts
  /// when the change calls for it, the texts of every open window, the choice kept in
  /// the settings store (unless `save` is false). The same index again does nothing.
  void ApplyLanguage(int index, bool save = true);
  [[nodiscard]] int LanguageIndex() const { return language_index_; }
  /// The language list read by start-up and `ApplyLanguage` (tests give their own).
  void SetLanguageConfig(QString path) { language_config_ = std::move(path); }

  /// The skin observer: a colour or an image becomes the background of "root".
  void ApplySkin(const SkinChoice& choice);
  [[nodiscard]] const SkinChoice& CurrentSkin() const { return skin_; }
  /// Opens the skin frame under "skinbtn" (one at a time).
  void OpenSkinFrame();
  [[nodiscard]] CSkinFrame* SkinFrame() const;
  /// "main.ini" in the user data root.
  [[nodiscard]] SkinChoiceFile SkinFile() const;

  /// Opens the desktop's keyboard (0) or mouse (1) settings, or says there are none.
  void OpenSystemSettingsPanel(int index);
  void SetSystemSettingsLauncher(SystemSettingsLauncher launcher) { system_settings_ = std::move(launcher); }

  /// The about box, modal, one at a time.
  void OpenAboutBox();

  /// Opens the settings and update window, one at a time (an open one is raised):
  /// centred when `centred`, else by the main window's top right corner. It asks the
  /// update service about the devices present and this program.
  void OpenSettingsWindow(bool centred);
  /// The open settings window; null when none is shown.
  [[nodiscard]] CSetWnd* SettingsWindow() const;
  /// The update targets of the first three device types whose device has an open
  /// channel (their wired interface's USB version) and of this program.
  [[nodiscard]] std::vector<UpdateTarget> UpdateTargets() const;
  /// Runs the once-a-day update check on a worker (slot 2) when today's check is due
  /// (false when it is not, or a check runs); a newer version marks "setbtn". Never
  /// blocks the window.
  [[nodiscard]] bool StartUpdateCheck();
  /// Whether "setbtn" carries the new-update mark.
  [[nodiscard]] bool UpdateMarkShown() const;
  /// The update catalogue file and the download folder of the settings window (tests
  /// give their own; by default the defaults folder's and the desktop's).
  void SetUpdateCatalogue(QString path) { update_catalogue_ = std::move(path); }
  void SetDownloadFolder(QString folder) { download_folder_ = std::move(folder); }
  /// The firmware gate of message 3332: a too old keyboard firmware asks to upgrade or quit.
  void OnFirmwareReport(std::uint64_t product_id, std::int64_t version);

  /// The keyboard and mouse hook that macro recording and key capture drive.
  void SetHookControl(std::unique_ptr<HookControl> hook);
  /// Recording, key capture and the "macro_action" menu (main_wnd_macro.cpp).
  [[nodiscard]] MacroHookRoutes& MacroRoutes();

  void Notify(const ui::Notification& notification) override;
  /// No user action is held back and every device exchange an action asked for has
  /// run and shown its result.
  [[nodiscard]] bool DeviceEditsSettled() const;
  std::int64_t HandleMessage(const platform::WindowMessage& message) override;

 signals:
  /// The window became visible through the activation path.
  void WindowShown();

 protected:
  void InitWindow() override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void ScreenChanged() override;

 private:
  /// Puts the open settings window where its opening asked: centred, or by this
  /// window's top right corner.
  void PlaceSettingsWindow();
  void OnWindowInit();
  void OnClick(const QString& name);
  /// The mouse page's click routes; false when the click takes the common route.
  bool OnMouseClick(MousePage& page, const QString& name, const ClickTarget& target);
  /// The routes of the mouse pad's and the headset's pages (main_wnd_lighting_pages.cpp);
  /// false when the notification takes the common route.
  bool OnLightingPageClick(LightingDevicePage& page, const QString& name, const ClickTarget& target);
  void OnLightingPageSelectChanged(LightingDevicePage& page, const QString& name, bool checked);
  void OnLightingPageValueChanged(LightingDevicePage& page, const QString& name, qint64 value);
  void OnLightingPageItemSelect(LightingDevicePage& page, const QString& name, int index);
  void OnLightingPageKillFocus(LightingDevicePage& page, const QString& name);
  /// Gives a created mouse pad's or headset's page its runner and panels.
  void OnLightingPageCreated(CKalvexUSBDevice& device, LightingDevicePage& page);
  /// A plugged headset's command interface at interface slot `slot` gets the
  /// audio binding of its sound card.
  void BindHeadsetAudio(std::uint64_t slot);
  void OnMenuItem(const QString& item);
  void OnTrayLeftClick();
  void OpenTrayMenu();
  void HideToTray();
  void CloseSecondaryWindows();
  void SetAllDPI(int dpi, bool resize_window);
  [[nodiscard]] QRect MonitorRect() const;
  /// The part of that monitor free of panels.
  [[nodiscard]] QRect AvailableRect() const;
  void OnWindowSize();
  void ShowNoDevicePanel(bool no_device);
  void ApplyStartupLanguage();
  /// `ApplyLanguage` from a list already read; false when entry `index`'s texts were not loaded.
  bool ApplyLanguageFrom(const std::vector<ui::LanguageEntry>& list, int index, bool save);
  /// The window's own texts, "lan_cn.xml", for a start whose language cannot be loaded.
  void LoadBaseLanguage();
  void SetUpdateMark(bool shown);
  void StartFirmwareUpgrade();
  void RebuildFonts();
  [[nodiscard]] int VisibleDeviceCount() const;
  void StartDevices();
  void OnPowerBroadcast(std::uint64_t event);
  void OnTimer(int id);
  void OnSelectChanged(const QString& name, bool checked);
  void OnValueChanged(const QString& name, qint64 value);
  /// A slider being dragged: only the mouse's DPI fields follow it.
  void OnMoveValueChanged(const QString& name, qint64 value);
  void OnColourChanged(const QString& name, qint64 colour);
  void OnItemSelect(const QString& name, int index);
  void OnKillFocus(const QString& name);
  void OnSelectionEnd(const QString& panel);
  /// Tells every device whether its page is on screen (the selected device's page
  /// while the window is shown and not minimised).
  void UpdateOnScreen();
  void OnDeviceCreated(CKalvexUSBDevice& device, QWidget* page, DevicePanelSink* sink);
  void ToggleLightControl();
  /// Sets the light-control flag, shows the language text of `text_key` on
  /// "control_light_status" and applies the flag.
  void SetLightControl(int flag, const char* text_key);
  void ApplyLightControl(bool on);
  void OnGameEvent(std::uint64_t action, std::int64_t mode);
  void RestoreAfterGameEvents();
  void AnswerDeviceTableQuery();
  void SameModeOnAllDevices();
  void ResetSelectedToDefaults();
  [[nodiscard]] ui::PanelPrompts DefaultPrompts();
  /// Every device's operation lock, in kind order, for an action of the UI thread;
  /// empty when a device's worker holds its lock (the UI thread never waits for one).
  [[nodiscard]] std::optional<std::vector<std::unique_lock<std::recursive_timed_mutex>>> TryLockDevices() const;
  /// Routes a notification to its handler.
  void Route(const ui::Notification& notification);
  /// Runs `action` on the devices' state at once when every device is free, else
  /// after the actions held back before it, once they are.
  void RunWhenDevicesFree(std::function<void()> action);
  /// Runs the actions held back while a device was busy, in order, as long as every
  /// device is free; tries again shortly when one is not.
  void RouteHeldBack();
  void ArmHeldBackRetry();
  // Audio-reactive lighting (main_wnd_audio.cpp).
  void SetUpAudio();
  void LoadAudioStyles();
  /// The capture runs while a keyboard shows an audio mode (or the music window is open).
  void UpdateAudioDemand();
  /// The audio sub-panel, the music button and the colour sliders; true when the
  /// control was theirs.
  bool OnAudioNotify(const ui::Notification& notification);
  /// The keyboard that receives the capture's values; null when there is none.
  [[nodiscard]] CKalvexUSBDevice* FirstKeyboard() const;

  std::string runtime_folder_;
  MainWndPlugins plugins_;
  platform::WorkerSlots workers_{kWorkerSlotCount};
  ui::TrayIcon tray_;
  QPointer<QWidget> menu_;
  QPointer<QPushButton> close_button_, max_button_, restore_button_, min_button_, skin_button_, gamemode_button_,
      cloud_button_, smarteyes_button_, set_button_;
  int dpi_ = 96;
  std::function<QRect()> monitor_source_;
  /// The monitor of the last scale choice; none before the first (timer 1011).
  std::optional<QRect> scale_monitor_;
  bool choosing_scale_ = false;  ///< the scale choice's own resizes are not reacted to
  int screen_width_ = 0;
  int screen_height_ = 0;
  int language_index_ = -1;
  QString language_config_;
  SkinChoice skin_ = SkinChoice::Default();
  QPointer<CSkinFrame> skin_frame_;
  QPointer<CAboutWnd> about_;
  QPointer<CSetWnd> set_wnd_;
  bool settings_centred_ = false;  ///< the open settings window was placed centred
  QString update_catalogue_;
  QString download_folder_;
  bool firmware_prompt_open_ = false;
  SystemSettingsLauncher system_settings_ = SystemSettingsLauncher::Default();
  bool initialised_ = false;
  bool destroyed_ = false;
  bool start_hidden_ = false;
  std::size_t detached_workers_ = 0;
  std::unique_ptr<DeviceSelector> selector_;
  PowerBroadcast* power_ = nullptr;  ///< child of the window
  bool system_awake_ = true;
  int light_control_ = 1;
  ui::PanelPrompts prompts_;
  SharedSyncEffect sync_effect_;
  SyncDeviceList sync_devices_;
  std::array<std::uint32_t, 4> game_event_messages_{};
  MacroHookRoutes* macro_routes_ = nullptr;  ///< child of the window, made on first use
  /// Actions on the devices' state that came while a device worker held its device.
  std::deque<std::function<void()>> held_back_;
  bool held_back_retry_armed_ = false;
  AudioLighting* audio_ = nullptr;  ///< child of the window
  bool startup_devices_pending_ = false;
  /// A window that is not drawn this soon after showing does not hold them up longer.
  static constexpr int kStartupDevicesLatestMs = 100;
  AudioBlockRoute audio_blocks_;    ///< used by the socket's thread until the messages stop
};

/// The main window's message queue, for worker threads (null while there is none).
[[nodiscard]] platform::MessageQueue* MainWindowQueue();

}  // namespace zt640
