#include "shell/device_option_ui.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <memory>

#include "devices/device_worker.h"
#include "devices/kalvex_usb_device.h"
#include "platform/ipc/message_queue.h"
#include "shell/device_icon_painter.h"
#include "pages/mp_device_power_ui.h"
#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr int kRefreshWiredMs = 5;
constexpr int kRefreshReceiverMs = 50;
constexpr int kRefreshPreviewMs = 33;
/// Streamed frames go to the device at most every other effect tick (32 a second,
/// above the 30 the audio blocks and the preview change at): each frame wakes the
/// device worker, the device and the cable listener, and a frame declined goes out
/// after the next tick anyway.
constexpr std::chrono::milliseconds kDirectFrameSpacing{25};
constexpr int kConnectRetryMs = 3000;
constexpr int kFirstPowerMs = 50;
constexpr int kPowerPeriodMs = 5000;
constexpr int kReceiverCheckFirstMs = 2000;
constexpr int kReceiverCheckPeriodMs = 3000;

/// Takes the device's operation lock on its worker. The UI thread may hold the device
/// for an edit; a worker that is stopping does not wait for it (the lock comes back
/// not owned).
std::unique_lock<std::recursive_timed_mutex> LockOnWorker(const CKalvexUSBDevice& device, const DeviceWorker& worker) {
  std::unique_lock lock(device.OperationLock(), std::defer_lock);
  while (!lock.try_lock_for(std::chrono::milliseconds(50))) {
    if (worker.Stopping()) break;
  }
  return lock;
}

/// Frames the device streams over the cable: they follow the lighting worker's renders.
bool StreamsOverCable(CKalvexUSBDevice& device) {
  return device.StreamsHostFrames() && !device.Channel().receiver_interface().IsOpen();
}
}  // namespace

CDeviceOptionUI::CDeviceOptionUI(const QString& skin_file, QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CDeviceOptionUI"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "selector entry");
  if (skin == nullptr) return;
  option_ = skin->findChild<QAbstractButton*>(QStringLiteral("device_select"));
  synchro_ = skin->findChild<QAbstractButton*>(QStringLiteral("synchro_device_select"));
  name_ = skin->findChild<QLabel*>(QStringLiteral("device_select_name"));
  if (option_) {
    option_->setCheckable(true);
    connect(option_, &QAbstractButton::clicked, this, [this] { emit Chosen(this); });
  }
  if (synchro_) {
    connect(synchro_, &QAbstractButton::toggled, this, [this](bool checked) {
      ApplyIcons();
      if (device_ != nullptr) device_->SetSyncFlag(checked);
    });
  }
}

CDeviceOptionUI::~CDeviceOptionUI() {
  // First, so the lighting worker never calls into a half-destroyed entry.
  StopFrameListener();
  KillAllTimers();
}

void CDeviceOptionUI::SetKindAndVariant(DeviceKind kind, int variant) {
  kind_ = kind;
  variant_ = variant;
  if (const std::optional<DeviceIcons> icons = IconsForKind(kind, variant)) icons_ = *icons;
  ApplyIcons();
}

void CDeviceOptionUI::ApplyIcons() {
  if (!option_ || icons_.normal.empty()) return;
  const bool synchro = IsSynchroChecked();
  const QIcon normal = DrawDeviceIcon(synchro ? icons_.synchro_normal : icons_.normal);
  const QIcon selected = DrawDeviceIcon(synchro ? icons_.synchro_selected : icons_.selected);
  QIcon icon;
  icon.addPixmap(normal.pixmap(40), QIcon::Normal, QIcon::Off);
  icon.addPixmap(normal.pixmap(40), QIcon::Disabled, QIcon::Off);
  icon.addPixmap(selected.pixmap(40), QIcon::Normal, QIcon::On);
  option_->setIcon(icon);
  const QString key = QString::fromStdString(icons_.tooltip_key);
  option_->setProperty("toolTipKey", key);
  option_->setToolTip(ui::ResourceManager::Instance().Language().Text(key));
  option_->setProperty("iconName", QString::fromStdString(IsSelected() ? (synchro ? icons_.synchro_selected : icons_.selected)
                                                                       : (synchro ? icons_.synchro_normal : icons_.normal)));
}

void CDeviceOptionUI::SetDevice(CKalvexUSBDevice* device, int type_index, bool wireless) {
  if (device != device_) StopFrameListener();
  device_ = device;
  type_index_ = type_index;
  wireless_ = wireless;
}

void CDeviceOptionUI::SetName(const QString& name) {
  if (name_) name_->setText(name);
}

void CDeviceOptionUI::SetEntryVisible(bool visible) {
  entry_visible_ = visible;
  setVisible(visible);
}

bool CDeviceOptionUI::IsSelected() const { return option_ && option_->isChecked(); }

void CDeviceOptionUI::SetSelected(bool selected) {
  if (option_) option_->setChecked(selected);
  ApplyIcons();
}

bool CDeviceOptionUI::IsSynchroChecked() const { return synchro_ && synchro_->isChecked(); }

void CDeviceOptionUI::SetSynchroChecked(bool checked) {
  if (synchro_) synchro_->setChecked(checked);
}

void CDeviceOptionUI::ArmTimer(int id, int delay_ms) {
  QTimer*& timer = timers_[id];
  if (timer == nullptr) {
    timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
  }
  if (id == kRefreshTimer) {
    frames_parked_ = awaiting_render_ = false;
    direct_frames_ = false;
  }
  timer->start(delay_ms);
}

void CDeviceOptionUI::KillTimer(int id) {
  if (QTimer* timer = timers_.value(id)) timer->stop();
  if (id == kRefreshTimer) {
    frames_parked_ = awaiting_render_ = frame_due_ = false;
    StopFrameListener();
  }
  ++epochs_[id];
  pending_.remove(id);
}

void CDeviceOptionUI::KillAllTimers() {
  for (QTimer* timer : std::as_const(timers_)) timer->stop();
  StopFrameListener();
  frames_parked_ = awaiting_render_ = frame_due_ = false;
  for (unsigned& epoch : epochs_) ++epoch;
  // Exchanges tied to no timer end here too.
  ++epochs_[0];
  pending_.clear();
  SetNotAnswering(false);
}

void CDeviceOptionUI::RunExchange(int timer, std::function<void(CKalvexUSBDevice&)> work, std::function<void()> done) {
  CKalvexUSBDevice* device = device_;
  if (device == nullptr) return;
  if (worker_ == nullptr) {
    {
      std::lock_guard lock(device->OperationLock());
      work(*device);
    }
    if (done) done();
    ResumeFrames(timer);
    return;
  }
  const unsigned epoch = epochs_.value(timer);
  pending_.insert(timer);
  DeviceWorker* worker = worker_;
  const bool posted = worker->Post([this, device, worker, timer, epoch, work = std::move(work), done = std::move(done)] {
    std::unique_lock lock = LockOnWorker(*device, *worker);
    if (!lock.owns_lock()) return;
    work(*device);
    lock.unlock();
    QMetaObject::invokeMethod(
        this,
        [this, timer, epoch, done] {
          if (epochs_.value(timer) != epoch) return;
          pending_.remove(timer);
          if (done) done();
          ResumeFrames(timer);
        },
        Qt::QueuedConnection);
  });
  if (!posted) pending_.remove(timer);
}

void CDeviceOptionUI::SetNotAnswering(bool not_answering) {
  if (not_answering == not_answering_) return;
  not_answering_ = not_answering;
  emit AnsweringChanged(this);
}

bool CDeviceOptionUI::IsTimerArmed(int id) const {
  const QTimer* timer = timers_.value(id);
  return timer != nullptr && timer->isActive();
}

bool CDeviceOptionUI::OnReceiver() const {
  return device_ != nullptr && device_->Channel().receiver_interface().IsOpen();
}

bool CDeviceOptionUI::ChannelOpen() const { return device_ != nullptr && device_->Channel().is_open(); }

void CDeviceOptionUI::RequestVisible(bool show) {
  if (main_queue_ == nullptr) return;
  platform::WindowMessage message;
  message.message = kDeviceVisibleMessage;
  message.wparam = static_cast<std::uint64_t>(type_index_);
  message.lparam = show ? 1 : 0;
  (void)main_queue_->Send(message);  // closed only while the window goes away
}

void CDeviceOptionUI::OnTimer(int id) {
  if (device_ == nullptr) return;
  switch (id) {
    case kConnectTimer:
      OnConnectTimer();
      break;
    case kRefreshTimer:
      OnRefreshTimer();
      break;
    case kDeferredRefreshTimer:
      RunExchange(kDeferredRefreshTimer, [](CKalvexUSBDevice& device) { device.RefreshFromDevice(); }, nullptr);
      break;
    case kPowerTimer:
      OnPowerTimer();
      break;
    case kReceiverCheckTimer:
      OnReceiverCheckTimer();
      break;
    default:
      break;
  }
}

void CDeviceOptionUI::OnConnectTimer() {
  if (!(OnReceiver() && ChannelOpen())) {
    StartFirstSynchronisation();
    return;
  }
  auto link = std::make_shared<bool>(false);
  RunExchange(
      kConnectTimer, [link](CKalvexUSBDevice& device) { *link = device.IsReceiverLinkUp(); },
      [this, link] {
        if (!*link) {
          retries_ = (retries_ + 1) % kMaxRetries;
          SetNotAnswering(true);
          if (entry_visible_) RequestVisible(false);
          ArmTimer(kConnectTimer, kConnectRetryMs);
          return;
        }
        SetNotAnswering(false);
        RequestVisible(true);
        StartFirstSynchronisation();
      });
}

void CDeviceOptionUI::StartFirstSynchronisation() {
  RunExchange(
      kConnectTimer, [](CKalvexUSBDevice& device) { device.ReadDevice(); },
      [this] {
        retries_ = 0;
        ArmTimer(kRefreshTimer, kRefreshWiredMs);
        if (wireless_ && ChannelOpen()) ArmTimer(kPowerTimer, kFirstPowerMs);
        if (OnReceiver()) ArmTimer(kReceiverCheckTimer, kReceiverCheckFirstMs);
      });
}

void CDeviceOptionUI::OnRefreshTimer() {
  // A frame still on its way makes the next one wait until it is through.
  if (ExchangePending(kRefreshTimer)) {
    frame_due_ = true;
  } else if (worker_ != nullptr && !device_->StreamsHostFrames()) {
    // Nothing goes to the device: the picture takes the zones here, without a
    // round trip through the worker.
    frame_due_ = false;
    device_->ShowLightFrame();
  } else {
    frame_due_ = false;
    RunExchange(kRefreshTimer, [](CKalvexUSBDevice& device) { device.SendLightFrame(); }, nullptr);
  }
  // The power widget repaints itself when a new power record arrives; repainting
  // it on every 5 ms frame would only burn time.
  if (!ChannelOpen()) return;
  if (!FramesWanted()) {
    // Nobody looks and the device plays its effect itself: no frame is needed
    // until that changes (SetOnScreen, ResumeFrames).
    frames_parked_ = true;
    return;
  }
  if (FramesFollowRenders()) {
    AwaitNextRender();
    return;
  }
  ArmTimer(kRefreshTimer, RefreshPeriodMs());
}

bool CDeviceOptionUI::FramesFollowRenders() const { return StreamsOverCable(*device_); }

void CDeviceOptionUI::AwaitNextRender() {
  if (!listening_for_frames_) {
    listening_for_frames_ = true;
    // Runs on the lighting worker under its lock: a render goes straight to the
    // device's worker while frames are direct, else to the UI thread; either way
    // only one hand-over is queued until it has been taken.
    device_->AddFrameListener(this, [this] {
      if (direct_frames_.load()) return QueueDirectFrame();
      if (render_posted_.exchange(true)) return true;
      QMetaObject::invokeMethod(this, [this] { OnFrameRendered(); }, Qt::QueuedConnection);
      return true;
    });
  }
  awaiting_render_ = true;
  direct_frames_ = worker_ != nullptr;
}

bool CDeviceOptionUI::QueueDirectFrame() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_direct_frame_ < kDirectFrameSpacing) return false;
  // The frame on its way takes the zones as they are when it runs.
  if (frame_queued_.exchange(true)) return true;
  last_direct_frame_ = now;
  CKalvexUSBDevice* device = device_;
  DeviceWorker* worker = worker_;
  const bool posted = worker->Post([this, device, worker] {
    frame_queued_ = false;
    std::unique_lock lock = LockOnWorker(*device, *worker);
    if (!lock.owns_lock()) return;
    if (!direct_frames_.load()) return;  // the UI thread took the frames back meanwhile
    if (StreamsOverCable(*device)) {
      device->SendLightFrame();
      return;
    }
    // The mode or the cable changed: the UI thread decides again.
    direct_frames_ = false;
    lock.unlock();
    QMetaObject::invokeMethod(this, [this] { OnFrameRendered(); }, Qt::QueuedConnection);
  });
  if (!posted) frame_queued_ = false;
  return true;
}

void CDeviceOptionUI::StopFrameListener() {
  direct_frames_ = false;
  if (!listening_for_frames_) return;
  listening_for_frames_ = false;
  // Under the lighting lock: once this returns, no render reaches the worker or this entry.
  if (device_ != nullptr) device_->RemoveFrameListener(this);
  // A frame the worker dropped unrun (it was stopping) must not block the next one.
  frame_queued_ = false;
}

void CDeviceOptionUI::OnFrameRendered() {
  render_posted_ = false;
  if (!awaiting_render_) return;
  // Mode or cable may have changed since: the timer decides again.
  ArmTimer(kRefreshTimer, 0);
}

bool CDeviceOptionUI::FramesWanted() const {
  return device_ != nullptr && (device_->StreamsHostFrames() || device_->OnScreen());
}

void CDeviceOptionUI::ResumeFrames(int timer) {
  if (!ChannelOpen()) return;
  if (!FramesWanted()) {
    // Renders need not go anywhere any more: the frames park until they are wanted.
    if (awaiting_render_) {
      awaiting_render_ = false;
      direct_frames_ = false;
      frames_parked_ = true;
    }
    return;
  }
  // A frame sent brings the next only if a render came meanwhile; any other
  // exchange may have changed the mode, so a timer waiting for a render sends
  // one frame now and then decides again.
  const bool resume = timer == kRefreshTimer ? frames_parked_ || frame_due_ : frames_parked_ || awaiting_render_;
  if (resume) ArmTimer(kRefreshTimer, 0);
}

int CDeviceOptionUI::RefreshPeriodMs() const {
  // Frames the device plays go out at the full rate; otherwise the frames only feed
  // the picture, which shows at most kRefreshPreviewMs apart.
  if (device_->StreamsHostFrames()) return OnReceiver() ? kRefreshReceiverMs : kRefreshWiredMs;
  return kRefreshPreviewMs;
}

void CDeviceOptionUI::SetOnScreen(bool on) {
  if (device_ == nullptr) return;
  const bool was = device_->OnScreen();
  device_->SetOnScreen(on);
  if (on && !was && (IsTimerArmed(kRefreshTimer) || frames_parked_ || awaiting_render_)) ArmTimer(kRefreshTimer, 0);
}

void CDeviceOptionUI::OnPowerTimer() {
  if (ExchangePending(kPowerTimer)) return;
  RunExchange(kPowerTimer, [](CKalvexUSBDevice& device) { device.ReadPowerStatus(); }, [this] {
    if (wireless_) ArmTimer(kPowerTimer, kPowerPeriodMs);
  });
}

void CDeviceOptionUI::OnReceiverCheckTimer() {
  if (!OnReceiver() || ExchangePending(kReceiverCheckTimer)) return;
  auto link = std::make_shared<bool>(false);
  RunExchange(
      kReceiverCheckTimer, [link](CKalvexUSBDevice& device) { *link = device.IsReceiverLinkUp(); },
      [this, link] {
        const bool answers = *link;
        SetNotAnswering(!answers);
        if (answers && !entry_visible_) {
          RequestVisible(true);
          RunExchange(0, [](CKalvexUSBDevice& device) { device.ReadPowerStatus(); }, nullptr);
        } else if (!answers && entry_visible_) {
          RequestVisible(false);
        }
        if (OnReceiver()) ArmTimer(kReceiverCheckTimer, kReceiverCheckPeriodMs);
      });
}

}  // namespace zt640
