#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "shell/discovery_thread.h"
#include "catalogue/interface_catalogue.h"
#include "shell/slot_table.h"

class QLabel;
class QStackedWidget;
class QWidget;

namespace zt640 {

class CDeviceOptionUI;
class CKalvexUSBDevice;
class CMpDevicePowerUI;
class DevicePanelSink;

namespace platform {
class MessageQueue;
}

/// The main window's devices: the slot table the discovery loop fills, one
/// device object per device type with its selector entry, page and power
/// widget, the handling of the add, remove and visibility messages, the switch
/// of a paired device between cable and receiver, and the no-device panel.
/// Everything runs on the UI thread except the discovery loop's claims.
class DeviceSelector : public QObject {
  Q_OBJECT
 public:
  static constexpr std::uint32_t kDeviceAddMessage = 3090;
  static constexpr std::uint32_t kDeviceRemoveMessage = 3091;
  static constexpr std::uint32_t kDeviceVisibleMessage = 3331;
  /// Posted by a device's listener thread (wParam the device type index): the
  /// device has reports waiting for the UI thread.
  static constexpr std::uint32_t kListenerEventsMessage = 3099;
  static constexpr int kConnectDelayMs = 500;
  static constexpr int kReceiverCheckDelayMs = 2000;
  static constexpr int kLinkQueryWaitMs = 50;
  static constexpr int kLinkQueryMaxWaits = 26;

  /// Makes the device object of a device type; null when this build has no
  /// device class for it (that type then gets no entry).
  using DeviceFactory = std::function<std::unique_ptr<CKalvexUSBDevice>(int type_index, const DeviceTypeRow& type)>;

  /// Turns a freshly built device page into the device's panel sink (null: the
  /// device keeps the sink that only shows its power records).
  using PageBinder =
      std::function<std::unique_ptr<DevicePanelSink>(QWidget* page, CKalvexUSBDevice& device, CMpDevicePowerUI* power)>;
  /// Told once a device object's page and sink exist: when the device first arrives
  /// or its entry is first shown, not before (a page costs start-up time and memory).
  using DeviceCreated =
      std::function<void(int type_index, CKalvexUSBDevice& device, QWidget* page, DevicePanelSink* sink)>;

  /// `root` holds "device_select_layout", "device_switch", "device_power_switch"
  /// and "No_device_Link"; `queue` is the main window's message queue.
  DeviceSelector(QWidget* root, platform::MessageQueue& queue, const InterfaceCatalogue& catalogue,
                 DeviceFactory factory);
  ~DeviceSelector() override;

  [[nodiscard]] SlotTable& Slots() { return slots_; }
  [[nodiscard]] const InterfaceCatalogue& Catalogue() const { return catalogue_; }

  /// Called before the selected entry is hidden (closes secondary windows).
  void SetBeforeHideSelected(std::function<void()> callback) { before_hide_selected_ = std::move(callback); }

  void SetPageBinder(PageBinder binder) { page_binder_ = std::move(binder); }
  void SetDeviceCreated(DeviceCreated callback) { device_created_ = std::move(callback); }
  /// Told after every change of the selected entry.
  void SetSelectionChanged(std::function<void()> callback) { selection_changed_ = std::move(callback); }
  /// Told when a keyboard reported that it switched to settings slot `slot`; the
  /// callback takes the device's operation lock itself.
  void SetSlotReported(std::function<void(int type_index, int slot)> callback) { slot_reported_ = std::move(callback); }
  /// Told after every show or hide, with the number of visible entries.
  void SetVisibilityChanged(std::function<void(int visible)> callback) { visibility_changed_ = std::move(callback); }

  /// The mouse and keyboard types, before any device is present.
  void CreateStartupDevices();
  /// Builds the entry, power widget and device object of the type of slot `slot`'s
  /// record, and the place of its page; false when there is no such type, no skin
  /// or no device class. The page itself is built when the device first arrives.
  bool CreateDevice(std::size_t slot, int variant);

  /// Message handlers; a slot index beyond the table is ignored (result 0).
  std::int64_t OnDeviceAdd(std::uint64_t slot);
  std::int64_t OnDeviceRemove(std::uint64_t slot);
  std::int64_t OnDeviceVisible(std::uint64_t type_index, std::int64_t show);
  /// Applies the reports a device's listeners queued; 0 for an unknown type.
  std::int64_t OnListenerEvents(std::uint64_t type_index);

  /// The discovery loop's way to this window: blocking sends of 3090 and 3091 and
  /// the post of `activate_message` after the first pass.
  [[nodiscard]] DiscoveryThread::Sink MakeSink(std::uint32_t activate_message);
  /// The event the discovery loop waits on beside the system's node events.
  [[nodiscard]] std::shared_ptr<platform::PollableEvent> DiscoveryWake() const { return discovery_wake_; }
  /// Asks the discovery loop for a pass now (after a resume, when node events
  /// may have been missed).
  void RequestDiscoveryPass() { discovery_wake_->Set(); }

  [[nodiscard]] int VisibleCount() const;
  /// Selects the nearest visible entry after (`next`) or before the selected one;
  /// false when there is none.
  bool SelectAdjacent(bool next);
  /// The device objects in keyboard, mouse, mouse pad, headset order.
  [[nodiscard]] std::vector<CKalvexUSBDevice*> DevicesInKindOrder() const;
  /// Shows "No_device_Link" when no entry is visible, else hides it.
  void UpdateNoDevicePanel();
  /// Stops or resumes the power polling of every wireless device's entry.
  void SetPowerPolling(bool on);
  /// Runs `work` on the device's worker thread under its operation lock, after
  /// every task queued before, then `done` (may be empty) on the UI thread. Work
  /// for a device without an entry, or after shut-down, is dropped.
  void RunOnDevice(CKalvexUSBDevice* device, std::function<void(CKalvexUSBDevice&)> work,
                   std::function<void()> done = nullptr);
  /// Work given to RunOnDevice whose `done` has neither run nor been dropped yet.
  [[nodiscard]] int WorkInFlight() const { return work_in_flight_->load(); }
  /// Ends all device traffic: every device's interfaces are closed (which cuts
  /// waiting exchanges short), its worker and listeners are stopped. Runs once.
  void Shutdown();

  [[nodiscard]] CDeviceOptionUI* EntryForType(int type_index) const;
  [[nodiscard]] CKalvexUSBDevice* DeviceForType(int type_index) const;
  [[nodiscard]] CDeviceOptionUI* SelectedEntry() const;
  /// The panel sink of a device type's object (its page when it has one).
  [[nodiscard]] DevicePanelSink* SinkForType(int type_index) const;
  /// Selector entries in creation order.
  [[nodiscard]] std::vector<CDeviceOptionUI*> Entries() const;

 private:
  /// Applies the mouse's queued reports on its worker; a re-read request arms the
  /// entry's deferred refresh.
  std::int64_t OnMouseListenerEvents(CDeviceOptionUI& entry);
  /// The same for the pad and the headset, whose one report is the re-read request.
  std::int64_t OnLightingListenerEvents(CDeviceOptionUI& entry);
  struct Managed;

  [[nodiscard]] Managed* FindByRecord(const InterfaceSlot& record) const;
  [[nodiscard]] Managed* FindByEntry(const CDeviceOptionUI* entry) const;
  /// Builds the device's page from its skin and binds it, once, before the device is
  /// first connected or its entry first shown.
  void EnsurePage(Managed& managed);
  void ConnectInterface(std::size_t slot);
  /// Hands a secondary (role 255) interface to its device, or takes it back.
  void AttachSecondary(std::size_t slot);
  void DetachSecondary(const InterfaceSlot& record, std::size_t slot);
  void SwitchPairedDevice(std::size_t cable_slot);
  void Show(CDeviceOptionUI* entry);
  void Hide(CDeviceOptionUI* entry);
  void Select(CDeviceOptionUI* entry);
  void AfterVisibilityChange();

  QPointer<QWidget> select_layout_;
  QPointer<QStackedWidget> device_switch_;
  QPointer<QStackedWidget> power_switch_;
  QPointer<QWidget> no_device_;
  QPointer<QLabel> status_;
  QPointer<QLabel> no_device_title_;
  platform::MessageQueue& queue_;
  InterfaceCatalogue catalogue_;
  SlotTable slots_;
  DeviceFactory factory_;
  std::function<void()> before_hide_selected_;
  PageBinder page_binder_;
  DeviceCreated device_created_;
  std::function<void()> selection_changed_;
  std::function<void(int)> visibility_changed_;
  std::function<void(int, int)> slot_reported_;
  std::vector<std::unique_ptr<Managed>> devices_;  ///< creation order; live for the whole run
  bool shut_down_ = false;
  std::shared_ptr<platform::PollableEvent> discovery_wake_ = std::make_shared<platform::PollableEvent>();
  std::shared_ptr<std::atomic<int>> work_in_flight_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace zt640
