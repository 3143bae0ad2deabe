#include "shell/main_wnd.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QShowEvent>
#include <QTimer>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScopeGuard>
#include <QStyle>

#include "audio/audio_lighting.h"
#include "platform/diag/debug_output.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "platform/paths/program_paths.h"
#include "platform/settings/registry_store.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/headset/kalvex_hs6533_device.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/pad/kalvex_mouse_pad_device.h"
#include "platform/ipc/registered_messages.h"
#include "shell/damaged_file_status.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/headset/headset_page.h"
#include "pages/mouse/mouse_page.h"
#include "pages/pad/pad_page.h"
#include "shell/msg_wnd.h"
#include "shell/device_selector.h"
#include "shell/discovery_thread.h"
#include "shell/about_wnd.h"
#include "shell/skin_frame.h"
#include "shell/language_choice.h"
#include "shell/menu_wnd.h"
#include "shell/power_broadcast.h"
#include "shell/product_icon.h"
#include "shell/registered_window_messages.h"
#include "shell/macro_hook_routes.h"
#include "update/set_wnd.h"
#include "shell/scale_choice.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_scale.h"
#include "ui/unscrolled_size.h"

namespace zt640 {

namespace {
std::atomic<platform::MessageQueue*> g_main_window_queue{nullptr};

QString ProductTitle() {
  return QString::fromUtf8(platform::kProductTitle.data(), static_cast<qsizetype>(platform::kProductTitle.size()));
}
}  // namespace

platform::MessageQueue* MainWindowQueue() { return g_main_window_queue.load(); }

CMainWnd::CMainWnd(std::string runtime_folder, MainWndPlugins plugins)
    : WindowImplBase(QStringLiteral("XML_MAIN"), QStringLiteral("MainWnd")),
      runtime_folder_(std::move(runtime_folder)),
      plugins_(std::move(plugins)),
      prompts_(DefaultPrompts()) {
  // Skins built for this window start at its own scale, not one a previous window chose.
  ui::ResourceManager::Instance().SetScale(dpi_);
  language_config_ = QDir(QString::fromStdString(platform::ResourceFolder("DefaultData")))
                         .filePath(QStringLiteral("Language.config"));
  constexpr std::array<std::string_view, 4> kGameEvents = {"Game_Start", "Game_End", "Game_Kill", "Game_Death"};
  for (std::size_t i = 0; i < kGameEvents.size(); ++i) {
    game_event_messages_[i] = platform::RegisterWindowMessage(kGameEvents[i]);
  }
}

CMainWnd::~CMainWnd() {
  Destroy();
  // The workers are stopped: nothing touches the slot table any more.
  selector_.reset();
  platform::MessageQueue* expected = &messages();
  g_main_window_queue.compare_exchange_strong(expected, nullptr);
}

void CMainWnd::InitWindow() {
  // The window's base texts are not loaded here: "windowinit" applies the start-up
  // language before anything is shown, and loads them only when that fails
  // (LoadBaseLanguage), so a start reads and resolves one language file, not two.
  close_button_ = FindControl<QPushButton>(QStringLiteral("closebtn"));
  max_button_ = FindControl<QPushButton>(QStringLiteral("maxbtn"));
  restore_button_ = FindControl<QPushButton>(QStringLiteral("restorebtn"));
  min_button_ = FindControl<QPushButton>(QStringLiteral("minbtn"));
  skin_button_ = FindControl<QPushButton>(QStringLiteral("skinbtn"));
  gamemode_button_ = FindControl<QPushButton>(QStringLiteral("gamemodebtn"));
  cloud_button_ = FindControl<QPushButton>(QStringLiteral("cloudbtn"));
  smarteyes_button_ = FindControl<QPushButton>(QStringLiteral("smarteyesbtn"));
  set_button_ = FindControl<QPushButton>(QStringLiteral("setbtn"));
  g_main_window_queue.store(&messages());
  setWindowIcon(ProductIcon());
  if (!runtime_folder_.empty()) {
    // The capture process's blocks are taken on the socket's thread, not the UI thread.
    const platform::EndpointResult listening = ListenForMessages(
        runtime_folder_, [this](const platform::WindowMessage& message) { return audio_blocks_.Take(message); });
    if (listening != platform::EndpointResult::kOk) {
      platform::DebugOutput("main window: other programs cannot reach this window (socket not opened)");
    }
  }
  if (!tray_.CreateTrayIcon(this, ProductIcon(), ProductTitle(), kTrayIconMessage)) {
    platform::DebugOutput("no system tray: the window minimises instead of hiding");
  }
}

std::optional<std::vector<std::unique_lock<std::recursive_timed_mutex>>> CMainWnd::TryLockDevices() const {
  std::vector<std::unique_lock<std::recursive_timed_mutex>> locks;
  if (!selector_) return locks;
  for (CKalvexUSBDevice* device : selector_->DevicesInKindOrder()) {
    std::unique_lock lock(device->OperationLock(), std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;
    locks.push_back(std::move(lock));
  }
  return locks;
}

void CMainWnd::Notify(const ui::Notification& notification) {
  if (destroyed_) return;
  const auto* sender = qobject_cast<const QWidget*>(notification.sender.data());
  const QWidget* pages = FindControl(QStringLiteral("device_switch"));
  if (sender == nullptr || pages == nullptr || !pages->isAncestorOf(sender)) {
    Route(notification);
    return;
  }
  // A user action on a device page works on the devices' state while their workers
  // wait. A worker in the middle of an exchange is never waited for: the action is
  // held back, behind any held back before it, until the devices are free.
  RunWhenDevicesFree([this, notification] { Route(notification); });
}

bool CMainWnd::DeviceEditsSettled() const {
  return held_back_.empty() && (!selector_ || selector_->WorkInFlight() == 0);
}

void CMainWnd::RunWhenDevicesFree(std::function<void()> action) {
  held_back_.push_back(std::move(action));
  RouteHeldBack();
}

void CMainWnd::RouteHeldBack() {
  while (!held_back_.empty() && !destroyed_) {
    const auto device_locks = TryLockDevices();
    if (!device_locks) {
      ArmHeldBackRetry();
      return;
    }
    const std::function<void()> next = std::move(held_back_.front());
    held_back_.pop_front();
    next();
  }
}

void CMainWnd::ArmHeldBackRetry() {
  if (held_back_retry_armed_) return;
  held_back_retry_armed_ = true;
  QTimer::singleShot(kHeldBackRetryMs, this, [this] {
    held_back_retry_armed_ = false;
    RouteHeldBack();
  });
}

void CMainWnd::Route(const ui::Notification& notification) {
  const QString& kind = notification.kind;
  const QString& name = notification.sender_name;
  if (OnAudioNotify(notification)) return;
  if (kind == QLatin1String("windowinit") && notification.sender == this) {
    OnWindowInit();
  } else if (kind == QLatin1String("windowsize")) {
    if (name == QLatin1String("root")) OnWindowSize();
  } else if (kind == QLatin1String("colorchanged")) {
    OnColourChanged(name, notification.wparam);
  } else if (kind == QLatin1String("click")) {
    OnClick(name);
  } else if (kind == QLatin1String("selectchanged")) {
    OnSelectChanged(name, notification.wparam != 0);
  } else if (kind == QLatin1String("valuechanged")) {
    OnValueChanged(name, notification.wparam);
  } else if (kind == QLatin1String("movevaluechanged")) {
    OnMoveValueChanged(name, notification.wparam);
  } else if (kind == QLatin1String("itemselect")) {
    OnItemSelect(name, static_cast<int>(notification.wparam));
  } else if (kind == QLatin1String("killfocus")) {
    OnKillFocus(name);
  } else if (kind == QLatin1String("click_select_end")) {
    OnSelectionEnd(name);
  } else if (kind == QLatin1String("timer") && notification.sender == this) {
    OnTimer(static_cast<int>(notification.wparam));
  }
  // Any action may have put a keyboard into or out of an audio mode.
  UpdateAudioDemand();
}

void CMainWnd::OnTimer(int id) {
  // Every main-window timer runs once per arming.
  timers().KillTimer(this, id);
  if (id == kScaleTimer) {
    RunScaleChoice(MonitorRect(), AvailableRect());
    if (plugins_.notify_capture_scale) plugins_.notify_capture_scale();
  } else if (id == kTrayMenuTimer) {
    OpenTrayMenu();
  } else if (id == kProfileSwitchTimer) {
    // Behind the user's actions still held back, once no device worker holds its device.
    RunWhenDevicesFree([this] {
      if (KeyboardPage* page = SelectedKeyboardPage()) page->ActivateSelectedProfile();
      if (MousePage* page = SelectedMousePage()) page->ActivateSelectedProfile();
      if (LightingDevicePage* page = SelectedLightingPage()) page->ActivateSelectedProfile();
    });
  } else if (id == kGameEventTimer) {
    RestoreAfterGameEvents();
  } else if (id == kUpdateCheckTimer) {
    (void)StartUpdateCheck();  // false when today's check was made
  }
}

void CMainWnd::OnWindowInit() {
  // Any process of this user may write to the window's socket (it lives in a private
  // folder), so there is no per-message filter to open as on other systems.
  if (!runtime_folder_.empty() && UWM_LIGHT_CONTROL_ANNOUNCE_MSG != 0) {
    platform::WindowMessage announce;
    announce.message = UWM_LIGHT_CONTROL_ANNOUNCE_MSG;
    announce.wparam = 1;
    announce.lparam = 1;
    (void)platform::IpcClient(runtime_folder_).Broadcast(announce);  // no listener is no failure
  }
  // The background first: a style sheet set on "root" restyles every control below
  // it, which costs little before the language's relayout has styled them once.
  ApplySkin(SkinFile().Read());
  ApplyStartupLanguage();
  ShowDamagedFilesOn(FindControl<QLabel>(QStringLiteral("status_label")));
  // The primary screen's size goes into every mouse settings record: known before
  // the first device object is made.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    screen_width_ = screen->geometry().width();
    screen_height_ = screen->geometry().height();
  }
  if (plugins_.create_devices) plugins_.create_devices();
  StartDevices();
  SetUpAudio();
  hide();

  if (plugins_.discovery && !workers_.Start(kDiscoverySlot, "discovery", plugins_.discovery)) {
    platform::DebugOutput("discovery thread not started");
  }
  if (plugins_.capture_watchdog && !workers_.Start(kCaptureWatchdogSlot, "capture watchdog", plugins_.capture_watchdog)) {
    platform::DebugOutput("capture watchdog not started");
  }
  if (!plugins_.light_sync) {
    plugins_.light_sync = [this](const platform::Event& stop) { RunLightSync(stop, sync_devices_, sync_effect_); };
  }
  if (!workers_.Start(kLightSyncSlot, "light sync", plugins_.light_sync)) {
    platform::DebugOutput("lighting synchronisation thread not started");
  }
  if (plugins_.start_capture_process) plugins_.start_capture_process();

  (void)timers().SetTimer(this, kScaleTimer, 100);  // cannot fail: own control, positive period
  if (plugins_.check_updates) (void)timers().SetTimer(this, kUpdateCheckTimer, kUpdateCheckDelayMs);
  initialised_ = true;
  if (plugins_.load_audio_styles) plugins_.load_audio_styles();
  LoadAudioStyles();
  UpdateAudioDemand();

  // The window first appears when the discovery loop reports its first full pass.
  // Without a discovery loop that pass is trivially complete and found nothing.
  if (!plugins_.discovery && UWM_INSTANCE_ACTIVATE_MSG != 0) {
    platform::WindowMessage activate;
    activate.message = UWM_INSTANCE_ACTIVATE_MSG;
    (void)messages().Post(std::move(activate));  // closed only while the window goes away
  }
}

void CMainWnd::StartDevices() {
  if (plugins_.catalogue) {
    selector_ = std::make_unique<DeviceSelector>(this, messages(), *plugins_.catalogue, plugins_.device_factory);
    selector_->SetBeforeHideSelected([this] { CloseSecondaryWindows(); });
    selector_->SetPageBinder([this](QWidget* page, CKalvexUSBDevice& device,
                                    CMpDevicePowerUI* power) -> std::unique_ptr<DevicePanelSink> {
      auto* keyboard = dynamic_cast<CKalvexKeyboardDevice*>(&device);
      auto* mouse = dynamic_cast<CKalvexMouseDevice*>(&device);
      auto* pad = dynamic_cast<CKalvexMousePadDevice*>(&device);
      auto* headset = dynamic_cast<CKalvexHS6533Device*>(&device);
      if ((keyboard == nullptr && mouse == nullptr && pad == nullptr && headset == nullptr) || page == nullptr) {
        return nullptr;
      }
      // The page's panels ask through the window's current prompts, which tests replace.
      ui::PanelPrompts forward;
      forward.message = [this](const QString& text, int mode) { return prompts_.Message(text, mode); };
      forward.file = [this](const QString& filter, bool save, const QString& suggested) {
        return prompts_.File(filter, save, suggested);
      };
      forward.colour = [this](QRgb initial, bool allow_multicolour, const std::string& palette_path,
                              const std::string& defaults_path, QRgb* chosen, bool* multicolour) {
        return prompts_.colour ? prompts_.colour(initial, allow_multicolour, palette_path, defaults_path, chosen,
                                                 multicolour)
                               : 0;
      };
      if (mouse != nullptr) return std::make_unique<MousePage>(page, *mouse, power, std::move(forward));
      if (pad != nullptr) return std::make_unique<PadPage>(page, *pad, power, std::move(forward));
      if (headset != nullptr) return std::make_unique<HeadsetPage>(page, *headset, power, std::move(forward));
      return std::make_unique<KeyboardPage>(page, *keyboard, power, std::move(forward));
    });
    selector_->SetDeviceCreated([this](int, CKalvexUSBDevice& device, QWidget* page, DevicePanelSink* sink) {
      OnDeviceCreated(device, page, sink);
    });
    selector_->SetSelectionChanged([this] { UpdateOnScreen(); });
    selector_->SetSlotReported([this](int type_index, int slot) {
      RunWhenDevicesFree([this, type_index, slot] {
        if (!selector_) return;
        if (auto* page = dynamic_cast<KeyboardPage*>(selector_->SinkForType(type_index))) page->FollowKeyboardSlot(slot);
      });
    });
    selector_->SetVisibilityChanged([this](int visible) {
      // The same effect on every device is offered only while several are shown.
      for (int type = 0; type < static_cast<int>(InterfaceCatalogue::kDeviceTypes); ++type) {
        DevicePanelSink* sink = selector_->SinkForType(type);
        if (auto* page = dynamic_cast<KeyboardPage*>(sink)) page->SetSameModeAllowed(visible > 1);
        if (auto* page = dynamic_cast<MousePage*>(sink)) page->SetSameModeAllowed(visible > 1);
        if (auto* page = dynamic_cast<LightingDevicePage*>(sink)) page->SetSameModeAllowed(visible > 1);
      }
    });
    // Nothing shows them until a device arrives: the window is drawn first.
    startup_devices_pending_ = true;
    if (!plugins_.discovery) {
      plugins_.discovery = [table = &selector_->Slots(), sink = selector_->MakeSink(UWM_INSTANCE_ACTIVATE_MSG),
                            wake = selector_->DiscoveryWake()](const platform::Event& stop) {
        DiscoveryThread(*table, sink).Run(stop, wake);
      };
    }
  }
  if (plugins_.watch_power) {
    power_ = new PowerBroadcast(messages(), this);
    if (power_->Start() == PowerBroadcast::Source::kClockWatch) {
      platform::DebugOutput("suspend and resume followed by the clock watch");
    }
  }
}

void CMainWnd::MakeStartupDevices() {
  if (!startup_devices_pending_ || !selector_ || destroyed_) return;
  startup_devices_pending_ = false;
  selector_->CreateStartupDevices();
}

bool CMainWnd::event(QEvent* event) {
  const bool handled = WindowImplBase::event(event);
  // The window's first drawing is done: the startup devices follow it.
  if (event->type() == QEvent::UpdateRequest && startup_devices_pending_ && isVisible()) {
    QTimer::singleShot(0, this, [this] { MakeStartupDevices(); });
  }
  return handled;
}

void CMainWnd::OnPowerBroadcast(std::uint64_t event) {
  if (event != PowerBroadcast::kSuspend && event != PowerBroadcast::kResumeAutomatic) return;
  const bool awake = event == PowerBroadcast::kResumeAutomatic;
  if (awake == system_awake_) return;
  system_awake_ = awake;
  // Node events may have been missed while asleep: one pass sees what changed.
  if (awake && selector_) selector_->RequestDiscoveryPass();
  // Host lighting goes off while the system sleeps and follows the light-control
  // flag again after it wakes.
  ApplyLightControl(awake && light_control_ != 0);
}

void CMainWnd::ApplyStartupLanguage() {
  const platform::RegistryStore store(platform::RegistryStore::DefaultPath());
  // One read of the list serves the choice and the loading.
  const std::vector<ui::LanguageEntry> list = ui::LanguageManager::ReadLanguageList(language_config_);
  // Until the user picks a language, the desktop's locale keeps choosing it.
  if (!ApplyLanguageFrom(list, LanguageIndexIn(list, store), false)) LoadBaseLanguage();
}

void CMainWnd::HideToTray() {
  CloseSecondaryWindows();
  if (selector_) selector_->SetPowerPolling(false);
  if (tray_.IsShown()) {
    hide();
  } else {
    // Without a status area a hidden window could not be brought back by the user.
    showMinimized();
  }
}

void CMainWnd::CloseSecondaryWindows() {
  if (menu_) menu_->close();
  if (skin_frame_) skin_frame_->close();
  // Refused while a download waits or runs.
  if (set_wnd_) set_wnd_->close();
}

std::int64_t CMainWnd::HandleMessage(const platform::WindowMessage& message) {
  if (destroyed_) return 0;
  // Copy-data sent within this process (the socket's thread takes the others).
  if (const std::optional<std::int64_t> taken = audio_blocks_.Take(message)) return *taken;
  // Device, listener and game event messages may change a keyboard's mode.
  const auto demand = qScopeGuard([this] { UpdateAudioDemand(); });
  if (message.message == UWM_INSTANCE_ACTIVATE_MSG && message.message != 0) {
    platform::DebugOutput("activation message (wParam " + std::to_string(message.wparam) + ", lParam " +
                          std::to_string(message.lparam) + ")");
    if (start_hidden_) {
      start_hidden_ = false;
      HideToTray();
      MakeStartupDevices();
      return 1;
    }
    ShowAndRaise();
    if (startup_devices_pending_) QTimer::singleShot(kStartupDevicesLatestMs, this, [this] { MakeStartupDevices(); });
    return 1;
  }
  if (message.message == UWM_LIGHT_CONTROL_STATE_MSG && message.message != 0) {
    if (message.wparam == 1 && message.lparam == 0) SetLightControl(0, kLightControlStartKey);
    if (message.wparam == 1 && message.lparam == 1) SetLightControl(1, kLightControlStopKey);
    return 1;
  }
  if (message.message == UWM_DEVICE_TABLE_QUERY_MSG && message.message != 0) {
    AnswerDeviceTableQuery();
    return 1;
  }
  if (message.message == PowerBroadcast::kWmPowerBroadcast) {
    OnPowerBroadcast(message.wparam);
    return 1;
  }
  if (message.message == kLanguageChangedMessage) {
    ApplyLanguage(static_cast<int>(message.wparam));
    return 1;
  }
  if (message.message == kClearUpdateMarkMessage) {
    SetUpdateMark(false);
    return 1;
  }
  if (message.message == kOpenSettingsMessage) {
    // After this message is answered: a sender waiting for it is not held up.
    QTimer::singleShot(0, this, [this] { OpenSettingsWindow(true); });
    return 1;
  }
  if (message.message == UWM_SETTINGS_FORWARD_MSG && message.message != 0) {
    if (CSetWnd* settings = SettingsWindow()) (void)settings->messages().Post(message);  // a closing window drops it
    return 1;
  }
  if (message.message == kFirmwareReportMessage) {
    OnFirmwareReport(message.wparam, message.lparam);
    return 1;
  }
  if (message.message == kTraceMessage) {
    platform::DebugOutput("message 1224 (wParam " + std::to_string(message.wparam) + ", lParam " +
                          std::to_string(message.lparam) + ")");
    return 0;
  }
  if (const std::optional<std::int64_t> handled = MacroRoutes().OnMessage(message, system_awake_)) return *handled;
  for (std::uint32_t game_event : game_event_messages_) {
    if (game_event == 0 || message.message != game_event) continue;
    // Other programs' lighting requests wait while the system sleeps.
    if (!system_awake_) return 0;
    OnGameEvent(message.wparam, message.lparam);
    return 1;
  }
  if (message.message == DeviceSelector::kDeviceAddMessage || message.message == DeviceSelector::kDeviceRemoveMessage ||
      message.message == DeviceSelector::kDeviceVisibleMessage ||
      message.message == DeviceSelector::kListenerEventsMessage) {
    // Arrivals find the startup devices in place, as every device message does.
    MakeStartupDevices();
    // While the system sleeps, devices coming and going are not acted on.
    if (!system_awake_ || !selector_) return 0;
    if (message.message == DeviceSelector::kDeviceAddMessage) {
      const std::int64_t handled = selector_->OnDeviceAdd(message.wparam);
      BindHeadsetAudio(message.wparam);
      if (handled != 0) ShowAndRaise();
      return handled;
    }
    if (message.message == DeviceSelector::kDeviceRemoveMessage) return selector_->OnDeviceRemove(message.wparam);
    if (message.message == DeviceSelector::kListenerEventsMessage) return selector_->OnListenerEvents(message.wparam);
    return selector_->OnDeviceVisible(message.wparam, message.lparam);
  }
  if (message.message == kTrayIconMessage) {
    if (message.lparam == ui::TrayIcon::kLeftButtonUp) {
      OnTrayLeftClick();
    } else if (message.lparam == ui::TrayIcon::kRightButtonUp) {
      (void)timers().SetTimer(this, kTrayMenuTimer, 10);  // cannot fail: own control, positive period
    }
    return 0;
  }
  if (message.message == CMenuWnd::kMenuItemChosenMessage) {
    OnMenuItem(MenuItemName(message));
    return 0;
  }
  if (message.message == platform::kWmClose) {
    Destroy();
    return 0;
  }
  return 0;
}

void CMainWnd::OnMenuItem(const QString& item) {
  if (MacroRoutes().OnMenuItem(item)) return;
  if (item == QLatin1String("exit")) {
    CloseSecondaryWindows();
    Destroy();
  } else if (item == QLatin1String("about_menu")) {
    // After this message is answered: the box runs its own modal loop.
    QTimer::singleShot(0, this, [this] { OpenAboutBox(); });
  } else if (item == QLatin1String("setwnd_menu")) {
    OpenSettingsWindow(false);
  }
}

int CMainWnd::VisibleDeviceCount() const {
  if (selector_) return selector_->VisibleCount();
  return plugins_.visible_device_count ? plugins_.visible_device_count() : 0;
}

void CMainWnd::ShowNoDevicePanel(bool no_device) {
  if (QWidget* panel = FindControl(QStringLiteral("No_device_Link"))) panel->setVisible(no_device);
  if (QWidget* pages = FindControl(QStringLiteral("device_switch"))) pages->setVisible(!no_device);
}

void CMainWnd::ShowAndRaise() {
  ShowNoDevicePanel(VisibleDeviceCount() == 0);
  if (selector_) selector_->SetPowerPolling(true);
  const bool was_visible = isVisible() && !isMinimized();
  showNormal();
  raise();
  activateWindow();
  if (!was_visible) emit WindowShown();
}

void CMainWnd::OnTrayLeftClick() {
  if (VisibleDeviceCount() == 0) ShowNoDevicePanel(true);
  CloseSecondaryWindows();
  if (isVisible() && !isMinimized()) {
    hide();
    if (selector_) selector_->SetPowerPolling(false);
    return;
  }
  show();
  RunScaleChoice(MonitorRect(), AvailableRect());
  showNormal();
  raise();
  activateWindow();
  if (selector_) selector_->SetPowerPolling(true);
}

void CMainWnd::OpenTrayMenu() {
  if (menu_) menu_->close();
  auto* menu = new CMenuWnd(this, QStringLiteral("XML_MENU"));
  QString error;
  if (!menu->Open(QCursor::pos(), &error)) {
    platform::DebugOutput("tray menu not opened: " + error.toStdString());
    delete menu;
    return;
  }
  menu_ = menu;
}

void CMainWnd::SetAllDPI(int dpi, bool resize_window) {
  dpi = ValidScaleOrDefault(dpi);
  if (dpi == dpi_) return;
  const double ratio = static_cast<double>(dpi) / dpi_;
  dpi_ = dpi;
  ui::ResourceManager::Instance().SetScale(dpi_);
  qApp->setStyleSheet(ui::ResourceManager::Instance().StyleSheet(dpi_));
  ui::ApplySkinScale(this, ui::ResourceManager::Instance().ScaleFactor());
  if (resize_window) resize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
}

QRect CMainWnd::MonitorRect() const {
  if (monitor_source_) return monitor_source_();
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect();
}

QRect CMainWnd::AvailableRect() const {
  if (monitor_source_) return monitor_source_();
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void CMainWnd::RunScaleChoice(const QRect& monitor, const QRect& available) {
  // The resizes below raise "windowsize" again; they are this choice's own.
  const QScopedValueRollback<bool> choosing(choosing_scale_, true);
  scale_monitor_ = monitor;
  const int scale = ChooseScale(monitor.width(), monitor.height());
  if (isMaximized() || isFullScreen()) {
    SetAllDPI(scale, false);
    update();
    return;
  }
  // A minimised window is sized in its normal geometry directly, so it need not be
  // restored first and keeps its state.
  SetAllDPI(96, true);
  resize(kScaledWidth, kScaledHeight);
  SetAllDPI(scale, true);
  // The scale's own size, or what the pages need to show whole when that is more
  // (the step above multiplied whatever held the window up). A screen too small for
  // that gets a window as large as the screen, whose pages scroll.
  const double ratio = static_cast<double>(dpi_) / 96;
  const QRect free_area = available.isEmpty() ? monitor : available;
  int width = static_cast<int>(std::lround(kScaledWidth * ratio));
  if (!free_area.isEmpty()) width = std::min(width, free_area.width());
  QSize size = QSize(width, static_cast<int>(std::lround(kScaledHeight * ratio))).expandedTo(ui::UnscrolledSize(*this, width));
  if (!free_area.isEmpty()) size = size.boundedTo(free_area.size());
  resize(size);
  CenterWindow();
  // A settings window opened before the choice keeps its place beside this one.
  if (SettingsWindow() != nullptr) PlaceSettingsWindow();
  update();
}

void CMainWnd::OnWindowSize() {
  if (choosing_scale_ || !scale_monitor_) return;
  // With the monitor unchanged the choice would only impose its size again, which
  // would fight a window manager that keeps the window at another size.
  const QRect monitor = MonitorRect();
  if (monitor != *scale_monitor_) RunScaleChoice(monitor, AvailableRect());
}

void CMainWnd::ScreenChanged() {
  // Before the first choice, timer 1011 makes it.
  if (scale_monitor_ && !destroyed_) RunScaleChoice(MonitorRect(), AvailableRect());
}

void CMainWnd::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  audio_blocks_.SetOpen(false);
  tray_.DeleteTrayIcon();
  hide();
  // Refuse messages before waiting: a worker blocked in a send to this window is
  // answered at once instead of holding up its own stop for the whole wait.
  StopMessages();
  // Every waiting device exchange ends here, so no device worker holds up the exit.
  if (selector_) selector_->Shutdown();
  const platform::WorkerSlots::StopReport report = workers_.StopAll(std::chrono::milliseconds(kWorkerStopWaitMs));
  detached_workers_ = report.detached.size();
  if (plugins_.stop_capture_process) plugins_.stop_capture_process();
  if (audio_ != nullptr) audio_->Shutdown();
  if (menu_) menu_->close();
  if (skin_frame_) skin_frame_->close();
  if (about_) about_->Close(0);
  // Its workers stop (a running download is cut short and its partial file removed).
  delete set_wnd_.data();
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void CMainWnd::closeEvent(QCloseEvent* event) {
  // The desktop closing the window (not "closebtn", which only hides it) ends the program.
  Destroy();
  event->accept();
}

}  // namespace zt640
