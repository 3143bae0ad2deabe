#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "shell/device_icon_table.h"
#include "shell/mp_device_power_ui.h"

class QTimer;

namespace zt640 {

class CKalvexUSBDevice;

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
  void SetKindAndVariant(int kind, int variant);
  [[nodiscard]] int Kind() const { return kind_; }
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
  /// a second while the page is on screen, one a second while it is not. Coming
  /// back on screen brings the timer back at once.
  void SetOnScreen(bool on);

  /// Starts (or restarts) one of the entry's timers.
  void ArmTimer(int id, int delay_ms);
  void KillTimer(int id);
  void KillAllTimers();
  [[nodiscard]] bool IsTimerArmed(int id) const;

 signals:
  /// The option button was clicked by the user.
  void Chosen(CDeviceOptionUI* entry);

 private:
  void OnTimer(int id);
  void OnConnectTimer();
  void OnRefreshTimer();
  void OnPowerTimer();
  void OnReceiverCheckTimer();
  void RequestVisible(bool show);
  [[nodiscard]] bool OnReceiver() const;
  [[nodiscard]] bool ChannelOpen() const;
  /// The frame timer's period for what the device does and who looks at it.
  [[nodiscard]] int RefreshPeriodMs() const;
  void ApplyIcons();

  QPointer<QAbstractButton> option_;
  QPointer<QAbstractButton> synchro_;
  QPointer<QLabel> name_;
  CKalvexUSBDevice* device_ = nullptr;  ///< not owned; lives for the whole run
  QPointer<CMpDevicePowerUI> power_;
  platform::MessageQueue* main_queue_ = nullptr;
  DeviceIcons icons_;
  QHash<int, QTimer*> timers_;
  int kind_ = 0;
  int variant_ = 0;
  int type_index_ = -1;
  bool wireless_ = false;
  int page_ = -1;
  int power_page_ = -1;
  bool entry_visible_ = true;
  int retries_ = 0;
};

}  // namespace zt640
