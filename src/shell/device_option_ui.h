#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QSet>
#include <functional>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <chrono>

#include "catalogue/device_kind.h"
#include "shell/device_icon_table.h"
#include "pages/mp_device_power_ui.h"

class QTimer;

namespace zt640 {

class CKalvexUSBDevice;
class DeviceWorker;

namespace platform {
class MessageQueue;
}

/// The selector entry of one device object: its option button (icon and tooltip
/// by kind), name label and lighting-synchronisation check, and the connection
/// timers that drive the device once an interface is open on it.
///
/// Timer ids: 1000 frame push and poll, 1001 connect, 1002 deferred refresh from
/// the device, 1005 power status, 1007 receiver check. Each is one-shot: its
/// handler re-arms it when it should run again.
///
/// The exchanges a timer starts run on the device's worker thread (when the entry
/// has one); what follows them runs back on the UI thread once they are done, so
/// a slow or silent device never holds up the window. A timer whose exchange is
/// still running starts no second one; killing a timer drops what its running
/// exchange would have done next.
class CDeviceOptionUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRefreshTimer = 1000;
  static constexpr int kConnectTimer = 1001;
  static constexpr int kDeferredRefreshTimer = 1002;
  static constexpr int kPowerTimer = 1005;
  static constexpr int kReceiverCheckTimer = 1007;
  static constexpr int kMaxRetries = 20;
  /// The window message asking the main window to show (lParam 1) or hide (0)
  /// the entry of the device type in wParam.
  static constexpr std::uint32_t kDeviceVisibleMessage = 3331;

  /// Builds the entry from `skin_file` (the option, name label and synchro check).
  /// `IsBuilt` tells whether the skin provided the option button.
  CDeviceOptionUI(const QString& skin_file, QWidget* parent = nullptr);
  ~CDeviceOptionUI() override;

  [[nodiscard]] bool IsBuilt() const { return option_ != nullptr; }

  /// Sets the icons and tooltip by kind; a mouse pad of an unknown variant keeps
  /// the previous ones.
  void SetKindAndVariant(DeviceKind kind, int variant);
  [[nodiscard]] DeviceKind Kind() const { return kind_; }
  [[nodiscard]] int Variant() const { return variant_; }
  [[nodiscard]] const DeviceIcons& Icons() const { return icons_; }

  void SetDevice(CKalvexUSBDevice* device, int type_index, bool wireless);
  [[nodiscard]] CKalvexUSBDevice* Device() const { return device_; }
  [[nodiscard]] int TypeIndex() const { return type_index_; }
  void SetPowerWidget(CMpDevicePowerUI* power, int power_page) {
    power_ = power;
    power_page_ = power_page;
  }
  [[nodiscard]] CMpDevicePowerUI* PowerWidget() const { return power_; }
  [[nodiscard]] int PowerPage() const { return power_page_; }
  void SetPage(int page) { page_ = page; }
  [[nodiscard]] int Page() const { return page_; }
  void SetName(const QString& name);
  /// Where UM_DEVICE_VISIBLE goes (null: nowhere).
  void SetMainQueue(platform::MessageQueue* queue) { main_queue_ = queue; }
  /// The thread that runs the device's exchanges (null: they run on the caller's).
  void SetWorker(DeviceWorker* worker) {
    if (worker != worker_) StopFrameListener();
    worker_ = worker;
  }

  /// Runs `work` on the device under its operation lock, on the worker thread,
  /// then `done` (may be empty) on the UI thread. `timer` ties the exchange to one
  /// of the entry's timers (0: to none): killing that timer drops `done`.
  void RunExchange(int timer, std::function<void(CKalvexUSBDevice&)> work, std::function<void()> done);
  [[nodiscard]] bool ExchangePending(int timer) const { return pending_.contains(timer); }
  /// The frame timer is stopped until the lighting worker changes the frame.
  [[nodiscard]] bool AwaitingRender() const { return awaiting_render_; }
  /// Renders go from the lighting worker straight to the device's worker, which
  /// streams them without a round trip through the UI thread.
  [[nodiscard]] bool DirectFrames() const { return direct_frames_.load(); }
  /// The device behind the receiver did not answer the last link query.
  [[nodiscard]] bool NotAnswering() const { return not_answering_; }

  /// The entry's own visibility flag (the widget may be hidden with its window).
  [[nodiscard]] bool IsEntryVisible() const { return entry_visible_; }
  void SetEntryVisible(bool visible);
  [[nodiscard]] bool IsSelected() const;
  void SetSelected(bool selected);
  [[nodiscard]] bool IsSynchroChecked() const;
  void SetSynchroChecked(bool checked);
  [[nodiscard]] QAbstractButton* OptionButton() const { return option_; }
  [[nodiscard]] int RetryCount() const { return retries_; }
  /// Whether the device's page is on screen. A device that streams frames gets
  /// them at the full rate; otherwise the frames only feed its picture: about 30
  /// a second while the page is on screen, none while it is not (the frame timer
  /// stops). Coming back on screen brings a frame and the timer back at once.
  void SetOnScreen(bool on);

  /// Starts (or restarts) one of the entry's timers.
  void ArmTimer(int id, int delay_ms);
  void KillTimer(int id);
  void KillAllTimers();
  [[nodiscard]] bool IsTimerArmed(int id) const;

 signals:
  /// The option button was clicked by the user.
  void Chosen(CDeviceOptionUI* entry);
  /// NotAnswering changed.
  void AnsweringChanged(CDeviceOptionUI* entry);

 private:
  void OnTimer(int id);
  void OnConnectTimer();
  void StartFirstSynchronisation();
  void SetNotAnswering(bool not_answering);
  void OnRefreshTimer();
  void OnPowerTimer();
  void OnReceiverCheckTimer();
  void RequestVisible(bool show);
  [[nodiscard]] bool OnReceiver() const;
  [[nodiscard]] bool ChannelOpen() const;
  /// The frame timer's period for what the device does and who looks at it.
  [[nodiscard]] int RefreshPeriodMs() const;
  /// A frame is needed: the device streams host frames or its picture is on screen.
  [[nodiscard]] bool FramesWanted() const;
  /// Restarts a stopped frame timer once frames are wanted again. Runs after every
  /// exchange (`timer` is the exchange's), since an exchange is what changes the
  /// device's mode.
  void ResumeFrames(int timer);
  /// Frames the device streams over the cable follow the lighting worker's
  /// renders instead of a period: the timer waits for the worker's news.
  [[nodiscard]] bool FramesFollowRenders() const;
  void AwaitNextRender();
  /// On the UI thread: the lighting worker changed the zones.
  void OnFrameRendered();
  /// On the lighting worker, under its lock: queues one streamed frame on the
  /// device's worker unless one is queued already. Declines (false) a frame that
  /// comes sooner than kDirectFrameSpacing after the last one queued.
  bool QueueDirectFrame();
  /// No render reaches this entry or the worker any more; UI thread.
  void StopFrameListener();
  void ApplyIcons();

  QPointer<QAbstractButton> option_;
  QPointer<QAbstractButton> synchro_;
  QPointer<QLabel> name_;
  CKalvexUSBDevice* device_ = nullptr;  ///< not owned; lives for the whole run
  QPointer<CMpDevicePowerUI> power_;
  platform::MessageQueue* main_queue_ = nullptr;
  DeviceIcons icons_;
  DeviceWorker* worker_ = nullptr;  ///< not owned; outlives every exchange it runs
  QHash<int, QTimer*> timers_;
  QHash<int, unsigned> epochs_;  ///< per timer, advanced when it is killed
  QSet<int> pending_;            ///< timers whose exchange is running
  bool not_answering_ = false;
  /// The frame timer stopped because no frame was wanted, not because it was killed.
  bool frames_parked_ = false;
  /// The frame timer waits for the lighting worker's next changed frame.
  bool awaiting_render_ = false;
  /// A render came while the last frame was still on its way.
  bool frame_due_ = false;
  bool listening_for_frames_ = false;
  /// Set from the lighting worker: a render is on its way to the UI thread.
  std::atomic<bool> render_posted_{false};
  /// Renders go straight to the worker (see DirectFrames).
  std::atomic<bool> direct_frames_{false};
  /// A direct frame waits on the worker.
  std::atomic<bool> frame_queued_{false};
  /// When the last direct frame was queued; the lighting worker's only.
  std::chrono::steady_clock::time_point last_direct_frame_{};
  DeviceKind kind_ = DeviceKind::kNone;
  int variant_ = 0;
  int type_index_ = -1;
  bool wireless_ = false;
  int page_ = -1;
  int power_page_ = -1;
  bool entry_visible_ = true;
  int retries_ = 0;
};

}  // namespace zt640
