#include "shell/device_selector.h"

#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QStackedWidget>
#include <QWidget>
#include <array>
#include <thread>

#include "devices/device_worker.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/kalvex_lighting_device.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/kalvex_usb_device.h"
#include "platform/diag/debug_output.h"
#include "platform/ipc/message_queue.h"
#include "shell/device_option_ui.h"
#include "pages/mp_device_power_ui.h"
#include "shell/power_panel_sink.h"
#include "shell/ui_thread_sink.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace zt640 {

namespace {
/// A mouse asking to be read again is read this long after its report.
constexpr int kMouseRefreshDelayMs = 50;
// The pad and the headset are given longer to settle before they are read again.
constexpr int kLightingRefreshDelayMs = 500;
constexpr const char* kPowerSkin = "MpDevicePower.ui";

constexpr std::array<DeviceKind, 5> kSecondaryKinds = {DeviceKind::kKeyboard, DeviceKind::kKeyboardReceiver,
                                                        DeviceKind::kMouse, DeviceKind::kMouseReceiver,
                                                        DeviceKind::kMousePad};

/// Ends every listener of the device (its threads are joined or detached).
void StopListeners(CKalvexUSBDevice& device) {
  for (DeviceKind kind : kSecondaryKinds) device.DetachSecondaryInterface(kind);
}

void TraceKind(DeviceKind kind, const char* keyboard, const char* mouse, const char* pad) {
  if (IsKeyboardKind(kind)) platform::DebugOutput(keyboard);
  if (IsMouseKind(kind)) platform::DebugOutput(mouse);
  if (kind == DeviceKind::kMousePad && pad != nullptr) platform::DebugOutput(pad);
}
}  // namespace

/// One device type's object and the widgets that show it.
struct DeviceSelector::Managed {
  std::unique_ptr<CKalvexUSBDevice> device;
  std::unique_ptr<DevicePanelSink> sink;  ///< the page, or the power widget alone
  /// The power widget's sink once the page took over; kept, a key colour may still
  /// be on its way to it.
  std::unique_ptr<DevicePanelSink> replaced_sink;
  /// What the device's worker shows goes through here to `sink` on the UI thread.
  std::unique_ptr<UiThreadSink> ui_sink;
  std::unique_ptr<DeviceWorker> worker;  ///< stopped before the device goes
  InterfaceSlot record;  ///< the command interface record identifying the device
  int type_index = -1;
  bool wireless = false;
  QPointer<CDeviceOptionUI> entry;
  QPointer<CMpDevicePowerUI> power;
  QPointer<QWidget> page;  ///< an empty stand-in until the page is built
  bool page_built = false;
};

DeviceSelector::DeviceSelector(QWidget* root, platform::MessageQueue& queue, const InterfaceCatalogue& catalogue,
                               DeviceFactory factory)
    : queue_(queue), catalogue_(catalogue), slots_(catalogue), factory_(std::move(factory)) {
  select_layout_ = root->findChild<QWidget*>(QStringLiteral("device_select_layout"));
  device_switch_ = root->findChild<QStackedWidget*>(QStringLiteral("device_switch"));
  power_switch_ = root->findChild<QStackedWidget*>(QStringLiteral("device_power_switch"));
  no_device_ = root->findChild<QWidget*>(QStringLiteral("No_device_Link"));
  status_ = root->findChild<QLabel*>(QStringLiteral("status_label"));
  no_device_title_ = root->findChild<QLabel*>(QStringLiteral("no_device_title"));
}

DeviceSelector::~DeviceSelector() {
  Shutdown();
  // Entries are widgets of the window and may outlive this object: cut them off
  // from the devices before the devices go.
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry) {
      managed->entry->disconnect(this);
      managed->entry->SetDevice(nullptr, managed->type_index, managed->wireless);
      managed->entry->SetMainQueue(nullptr);
      managed->entry->SetWorker(nullptr);
    }
    managed->device->SetPanelSink(nullptr);
  }
}

void DeviceSelector::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry) managed->entry->KillAllTimers();
    // Closing the interfaces first lets the worker's running exchange end at once.
    managed->device->Disconnect();
    managed->worker->Stop();
    StopListeners(*managed->device);
    if (auto* keyboard = dynamic_cast<CKalvexKeyboardDevice*>(managed->device.get())) keyboard->SetListenerNotify(nullptr);
  }
}

void DeviceSelector::RunOnDevice(CKalvexUSBDevice* device, std::function<void(CKalvexUSBDevice&)> work,
                                 std::function<void()> done) {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->device.get() != device || !managed->entry) continue;
    // Counted until both the task and its `done` are gone (run or dropped).
    struct InFlight {
      explicit InFlight(std::shared_ptr<std::atomic<int>> count) : count(std::move(count)) { ++*this->count; }
      ~InFlight() { --*count; }
      InFlight(const InFlight&) = delete;
      InFlight& operator=(const InFlight&) = delete;
      std::shared_ptr<std::atomic<int>> count;
    };
    auto token = std::make_shared<InFlight>(work_in_flight_);
    managed->entry->RunExchange(
        0, [token, work = std::move(work)](CKalvexUSBDevice& target) { work(target); },
        [token, done = std::move(done)] {
          if (done) done();
        });
    return;
  }
}

void DeviceSelector::CreateStartupDevices() {
  const int mouse = slots_.FindSlot(catalogue_.Types()[InterfaceCatalogue::kMouseType].vendor_id,
                                    catalogue_.Types()[InterfaceCatalogue::kMouseType].product_id, DeviceKind::kMouse,
                                    kRoleCommand);
  const int keyboard = slots_.FindSlot(catalogue_.Types()[InterfaceCatalogue::kKeyboardType].vendor_id,
                                       catalogue_.Types()[InterfaceCatalogue::kKeyboardType].product_id,
                                       DeviceKind::kKeyboard, kRoleCommand);
  if (mouse >= 0 && !CreateDevice(static_cast<std::size_t>(mouse), 0)) platform::DebugOutput("no mouse device object");
  if (keyboard >= 0 && !CreateDevice(static_cast<std::size_t>(keyboard), 0)) platform::DebugOutput("no keyboard device object");
  AfterVisibilityChange();
}

bool DeviceSelector::CreateDevice(std::size_t slot, int variant) {
  std::optional<InterfaceSlot> record = slots_.Slot(slot);
  if (!record) return false;
  if (record->kind == DeviceKind::kMouseReceiver && record->has_partner != 0) record = slots_.Slot(record->partner);
  if (!record) return false;
  const int type_index = catalogue_.FindDeviceType(record->vendor_id, record->product_id, record->kind,
                                                   static_cast<uint16_t>(variant));
  if (type_index < 0) return false;
  if (DeviceForType(type_index) != nullptr) return true;
  const DeviceTypeRow& type = catalogue_.Types()[static_cast<std::size_t>(type_index)];
  std::unique_ptr<CKalvexUSBDevice> device = factory_ ? factory_(type_index, type) : nullptr;
  if (!device) {
    platform::DebugOutput("device type " + std::string(type.kind_name) + ": no device class in this build");
    return false;
  }
  if (!select_layout_ || !device_switch_ || !power_switch_) return false;

  auto* power = new CMpDevicePowerUI(QString::fromLatin1(kPowerSkin));
  auto* entry = new CDeviceOptionUI(QString::fromLatin1(type.entry_skin.data(), static_cast<qsizetype>(type.entry_skin.size())));
  if (!power->IsBuilt() || !entry->IsBuilt()) {
    delete power;
    delete entry;
    return false;
  }
  // The page is built when the device first arrives (EnsurePage): a stand-in keeps
  // its place among the pages until then.
  QWidget* page = new QWidget;
  const int power_page = power_switch_->addWidget(power);
  power->SetKindAndVariant(record->kind, variant);
  power->SetWireless(type.wireless);

  auto managed = std::make_unique<Managed>();
  managed->record = *record;
  managed->type_index = type_index;
  managed->wireless = type.wireless;
  managed->sink = std::make_unique<PowerPanelSink>(power);
  device->BindCatalogueEntry(DeviceTypeInfo::FromRow(type));
  managed->ui_sink = std::make_unique<UiThreadSink>(*managed->sink, device->OperationLock());
  device->SetPanelSink(managed->ui_sink.get());
  managed->worker = std::make_unique<DeviceWorker>(std::string(type.kind_name) + " device worker");
  device->SetPageType(type.page_type);
  device->BuildKeyControls(type.key_count);

  const int page_index = device_switch_->addWidget(page);
  if (select_layout_->layout() != nullptr) select_layout_->layout()->addWidget(entry);
  else entry->setParent(select_layout_);
  entry->SetSynchroChecked(false);
  entry->SetPage(page_index);
  entry->SetPowerWidget(power, power_page);
  entry->SetKindAndVariant(record->kind, variant);
  entry->SetEntryVisible(false);
  entry->SetName(QString::fromLatin1(type.kind_name.data(), static_cast<qsizetype>(type.kind_name.size())));
  entry->SetDevice(device.get(), type_index, type.wireless);
  entry->SetMainQueue(&queue_);
  entry->SetWorker(managed->worker.get());
  connect(entry, &CDeviceOptionUI::AnsweringChanged, this, [this] { UpdateNoDevicePanel(); });
  connect(entry, &CDeviceOptionUI::Chosen, this, [this](CDeviceOptionUI* chosen) {
    Select(chosen);
    AfterVisibilityChange();
  });
  // Listener threads only post: the reports are applied on the UI thread.
  const auto post_listener_events = [queue = &queue_, type_index] {
    platform::WindowMessage message;
    message.message = kListenerEventsMessage;
    message.wparam = static_cast<std::uint64_t>(type_index);
    (void)queue->Post(message);  // a closed queue: the window is going away
  };
  if (auto* keyboard = dynamic_cast<CKalvexKeyboardDevice*>(device.get())) keyboard->SetListenerNotify(post_listener_events);
  if (auto* mouse = dynamic_cast<CKalvexMouseDevice*>(device.get())) mouse->SetListenerNotify(post_listener_events);
  if (auto* lighting = dynamic_cast<CKalvexLightingDevice*>(device.get())) {
    lighting->SetListenerNotify(post_listener_events);
  }
  managed->device = std::move(device);
  managed->entry = entry;
  managed->power = power;
  managed->page = page;
  devices_.push_back(std::move(managed));
  return true;
}

void DeviceSelector::EnsurePage(Managed& managed) {
  if (managed.page_built || !device_switch_) return;
  managed.page_built = true;
  const DeviceTypeRow& type = catalogue_.Types()[static_cast<std::size_t>(managed.type_index)];
  // A type whose page skin is not installed gets an empty page: the entry and its
  // connection still work, and the page fills in once its skin exists.
  QWidget* page = nullptr;
  const QString page_skin = ui::ResourceManager::Instance().SkinPath(
      QString::fromLatin1(type.page_skin.data(), static_cast<qsizetype>(type.page_skin.size())));
  if (QFileInfo::exists(page_skin)) {
    ui::SkinLoader loader(ui::ControlFactory::Instance(), nullptr);
    QString error;
    page = loader.Build(page_skin, nullptr, &error);
  }
  if (page == nullptr) page = new QWidget;
  page->setObjectName(QString::fromLatin1(type.kind_name.data(), static_cast<qsizetype>(type.kind_name.size())) +
                      QStringLiteral("_page"));
  if (page_binder_) {
    if (std::unique_ptr<DevicePanelSink> page_sink = page_binder_(page, *managed.device, managed.power)) {
      managed.replaced_sink = std::move(managed.sink);
      managed.sink = std::move(page_sink);
      managed.ui_sink->Retarget(*managed.sink);
    }
  }
  // The page takes the stand-in's index, which its entry already shows.
  QWidget* stand_in = managed.page;
  const int index = stand_in != nullptr ? device_switch_->indexOf(stand_in) : -1;
  if (index < 0) {
    const int added = device_switch_->addWidget(page);
    if (managed.entry) managed.entry->SetPage(added);
  } else {
    const bool current = device_switch_->currentWidget() == stand_in;
    device_switch_->insertWidget(index, page);
    device_switch_->removeWidget(stand_in);
    delete stand_in;
    if (current) device_switch_->setCurrentWidget(page);
  }
  managed.page = page;
  if (device_created_) device_created_(managed.type_index, *managed.device, page, managed.sink.get());
}

std::int64_t DeviceSelector::OnDeviceAdd(std::uint64_t slot) {
  const std::optional<InterfaceSlot> record = slot < slots_.size() ? slots_.Slot(slot) : std::nullopt;
  if (!record) return 0;
  const int command_row = slots_.FindSlot(record->vendor_id, record->product_id, record->kind, kRoleCommand);
  const std::optional<InterfaceSlot> identity = slots_.IdentityRecord(slot);
  TraceKind(record->kind, "添加一个键盘设备", "添加一个鼠标设备", "添加一个鼠标垫设备");
  if (identity && FindByRecord(*identity) == nullptr && command_row >= 0) {
    if (!CreateDevice(static_cast<std::size_t>(command_row), 0)) platform::DebugOutput("no device object for an added device");
  }
  if (record->role == kRoleCommand) {
    ConnectInterface(slot);
  } else {
    AttachSecondary(slot);
  }
  return 1;
}

void DeviceSelector::AttachSecondary(std::size_t slot) {
  const std::optional<InterfaceSlot> record = slots_.Slot(slot);
  const std::optional<InterfaceSlot> identity = slots_.IdentityRecord(slot);
  Managed* managed = identity ? FindByRecord(*identity) : nullptr;
  if (!record || managed == nullptr || record->path.empty()) return;
  if (!managed->device->AttachSecondaryInterface(record->kind, record->path)) {
    platform::DebugOutput("secondary interface not attached: " + record->path);
  }
}

void DeviceSelector::DetachSecondary(const InterfaceSlot& record, std::size_t slot) {
  const std::optional<InterfaceSlot> identity = slots_.IdentityRecord(slot);
  Managed* managed = identity ? FindByRecord(*identity) : nullptr;
  if (managed != nullptr) managed->device->DetachSecondaryInterface(record.kind);
}

std::int64_t DeviceSelector::OnMouseListenerEvents(CDeviceOptionUI& entry) {
  // The reports are applied between the mouse's exchanges; a request to re-read
  // it starts the entry's deferred refresh (timer 1002), which reads on the worker.
  auto reports = std::make_shared<std::vector<MouseReport>>();
  entry.RunExchange(
      0, [reports](CKalvexUSBDevice& device) { *reports = static_cast<CKalvexMouseDevice&>(device).ProcessListenerEvents(); },
      [entry = QPointer<CDeviceOptionUI>(&entry), reports] {
        for (const MouseReport& report : *reports) {
          if (report.kind == MouseReport::Kind::kRefresh && entry) {
            entry->ArmTimer(CDeviceOptionUI::kDeferredRefreshTimer, kMouseRefreshDelayMs);
          }
        }
      });
  return 1;
}

std::int64_t DeviceSelector::OnLightingListenerEvents(CDeviceOptionUI& entry) {
  // The pad's and the headset's only report is the request to be read again.
  auto requested = std::make_shared<bool>(false);
  entry.RunExchange(
      0, [requested](CKalvexUSBDevice& device) {
        *requested = static_cast<CKalvexLightingDevice&>(device).ProcessListenerEvents();
      },
      [entry = QPointer<CDeviceOptionUI>(&entry), requested] {
        if (*requested && entry) entry->ArmTimer(CDeviceOptionUI::kDeferredRefreshTimer, kLightingRefreshDelayMs);
      });
  return 1;
}

std::int64_t DeviceSelector::OnListenerEvents(std::uint64_t type_index) {
  if (type_index < catalogue_.Types().size()) {
    CKalvexUSBDevice* device = DeviceForType(static_cast<int>(type_index));
    CDeviceOptionUI* device_entry = EntryForType(static_cast<int>(type_index));
    if (device_entry != nullptr && dynamic_cast<CKalvexMouseDevice*>(device) != nullptr) {
      return OnMouseListenerEvents(*device_entry);
    }
    if (device_entry != nullptr && dynamic_cast<CKalvexLightingDevice*>(device) != nullptr) {
      return OnLightingListenerEvents(*device_entry);
    }
  }
  auto* keyboard = type_index < catalogue_.Types().size()
                       ? dynamic_cast<CKalvexKeyboardDevice*>(DeviceForType(static_cast<int>(type_index)))
                       : nullptr;
  CDeviceOptionUI* entry = keyboard != nullptr ? EntryForType(static_cast<int>(type_index)) : nullptr;
  if (entry == nullptr) return 0;
  // Applying a report may read the keyboard (a sync request does): that runs on
  // its worker; the page follows a slot change on the UI thread.
  auto events = std::make_shared<std::vector<ListenerEvent>>();
  entry->RunExchange(
      0,
      [events](CKalvexUSBDevice& device) {
        *events = static_cast<CKalvexKeyboardDevice&>(device).ProcessListenerEvents();
      },
      [this, keyboard, events, type = static_cast<int>(type_index)] {
        for (const ListenerEvent& event : *events) {
          if (event.kind != ListenerEvent::Kind::kSlot || !keyboard->Channel().is_open() || !slot_reported_) continue;
          slot_reported_(type, event.slot);
        }
      });
  return 1;
}

void DeviceSelector::ConnectInterface(std::size_t slot) {
  const std::optional<InterfaceSlot> record = slots_.Slot(slot);
  if (!record) return;
  if (slots_.PartnerActive(slot)) {
    // The cable wins: a cable arriving beside the receiver takes over; a receiver
    // arriving beside the cable stays idle.
    if (IsCableKind(record->kind)) SwitchPairedDevice(slot);
    return;
  }
  const std::optional<InterfaceSlot> identity = slots_.IdentityRecord(slot);
  Managed* managed = identity ? FindByRecord(*identity) : nullptr;
  if (managed == nullptr || managed->device->Channel().is_open()) return;
  EnsurePage(*managed);
  const bool via_receiver = IsReceiverKind(record->kind);
  if (!managed->device->Connect(record->path, via_receiver)) {
    platform::DebugOutput("device interface did not open: " + record->path);
    return;
  }
  if (!managed->entry) return;
  if (record->kind != DeviceKind::kKeyboardReceiver) Show(managed->entry);
  managed->entry->ArmTimer(CDeviceOptionUI::kConnectTimer, kConnectDelayMs);
}

void DeviceSelector::SwitchPairedDevice(std::size_t cable_slot) {
  const std::optional<InterfaceSlot> cable = slots_.Slot(cable_slot);
  if (!cable || cable->has_partner == 0) return;
  const std::optional<InterfaceSlot> receiver = slots_.Slot(cable->partner);
  if (!receiver) return;
  Managed* managed = FindByRecord(*cable);
  if (managed == nullptr) managed = FindByRecord(*receiver);
  if (managed == nullptr) return;
  EnsurePage(*managed);
  CKalvexUSBDevice& device = *managed->device;
  const bool to_receiver = !device.Channel().receiver_interface().IsOpen();
  const std::string& path = to_receiver ? receiver->path : cable->path;
  if (path.empty() || !device.Connect(path, to_receiver)) {
    platform::DebugOutput("device switch did not open: " + path);
    if (managed->entry) Hide(managed->entry);
    return;
  }
  if (!managed->entry) return;
  if (to_receiver) {
    if (managed->wireless) {
      // Up to 26 link queries of up to 5 s each: on the device's worker.
      managed->entry->RunExchange(0, [](CKalvexUSBDevice& receiver_device) {
        for (int wait = 0; wait < kLinkQueryMaxWaits && receiver_device.Channel().is_open() &&
                           !receiver_device.IsReceiverLinkUp();
             ++wait) {
          if (wait < kLinkQueryMaxWaits - 1) platform::DebugOutput("获取2.4G模式失败");
          std::this_thread::sleep_for(std::chrono::milliseconds(kLinkQueryWaitMs));
        }
        receiver_device.ReadPowerStatus();
      }, nullptr);
    }
    managed->entry->ArmTimer(CDeviceOptionUI::kReceiverCheckTimer, kReceiverCheckDelayMs);
    managed->entry->ArmTimer(CDeviceOptionUI::kRefreshTimer, 50);
  } else {
    managed->entry->ArmTimer(CDeviceOptionUI::kConnectTimer, kConnectDelayMs);
    Show(managed->entry);
    if (managed->wireless) {
      managed->entry->RunExchange(0, [](CKalvexUSBDevice& cable_device) { cable_device.ReadPowerStatus(); }, nullptr);
    }
  }
}

std::int64_t DeviceSelector::OnDeviceRemove(std::uint64_t slot) {
  const std::optional<InterfaceSlot> record = slot < slots_.size() ? slots_.Slot(slot) : std::nullopt;
  if (!record) return 0;
  TraceKind(record->kind, "删除一个键盘设备", "删除一个鼠标设备", "删除一个鼠标垫设备");
  if (record->role != kRoleCommand) {
    DetachSecondary(*record, slot);
    return 1;
  }
  TraceKind(record->kind, "键盘设备丢失", "鼠标设备丢失", nullptr);
  if (slots_.PartnerActive(slot)) {
    if (IsCableKind(record->kind)) SwitchPairedDevice(slot);
    return 1;
  }
  const std::optional<InterfaceSlot> identity = slots_.IdentityRecord(slot);
  Managed* managed = identity ? FindByRecord(*identity) : nullptr;
  if (managed == nullptr) return 1;
  managed->device->Disconnect();
  if (managed->entry) {
    managed->entry->KillAllTimers();
    Hide(managed->entry);
  }
  return 1;
}

std::int64_t DeviceSelector::OnDeviceVisible(std::uint64_t type_index, std::int64_t show) {
  CDeviceOptionUI* entry = type_index < catalogue_.Types().size() ? EntryForType(static_cast<int>(type_index)) : nullptr;
  if (entry == nullptr) return 0;
  if (show != 0) {
    Show(entry);
  } else {
    Hide(entry);
  }
  return 1;
}

DiscoveryThread::Sink DeviceSelector::MakeSink(std::uint32_t activate_message) {
  platform::MessageQueue* queue = &queue_;
  return {[queue](std::size_t slot) {
            platform::WindowMessage message;
            message.message = kDeviceAddMessage;
            message.wparam = slot;
            (void)queue->Send(message);  // closed only while the window goes away
          },
          [queue](std::size_t slot) {
            platform::WindowMessage message;
            message.message = kDeviceRemoveMessage;
            message.wparam = slot;
            (void)queue->Send(message);  // closed only while the window goes away
          },
          [queue, activate_message] {
            if (activate_message == 0) return;
            platform::WindowMessage message;
            message.message = activate_message;
            (void)queue->Post(message);  // closed only while the window goes away
          }};
}

int DeviceSelector::VisibleCount() const {
  int count = 0;
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry && managed->entry->IsEntryVisible()) ++count;
  }
  return count;
}

void DeviceSelector::UpdateNoDevicePanel() {
  const bool none = VisibleCount() == 0;
  if (no_device_) no_device_->setVisible(none);
  if (device_switch_) device_switch_->setVisible(!none);
  bool not_answering = false;
  for (const CDeviceOptionUI* entry : Entries()) not_answering = not_answering || entry->NotAnswering();
  if (status_) {
    // A receiver is there but the device behind it does not answer: say so rather
    // than wait for a device as if none were connected.
    const QString key = !none                 ? QStringLiteral("status_connected_text")
                        : not_answering ? QStringLiteral("status_no_answer_text")
                                        : QStringLiteral("status_waiting_text");
    // The key goes with the label, so a change of language shows the right text.
    status_->setProperty("textKey", key);
    status_->setText(ui::ResourceManager::Instance().Language().Text(key));
  }
  if (no_device_title_) {
    const QString key = not_answering ? QStringLiteral("status_no_answer_text") : QStringLiteral("no_device_text");
    no_device_title_->setProperty("textKey", key);
    no_device_title_->setText(ui::ResourceManager::Instance().Language().Text(key));
  }
}

void DeviceSelector::SetPowerPolling(bool on) {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (!managed->wireless || !managed->entry) continue;
    if (!on) {
      managed->entry->KillTimer(CDeviceOptionUI::kPowerTimer);
    } else if (managed->device->Channel().is_open()) {
      managed->entry->ArmTimer(CDeviceOptionUI::kPowerTimer, 50);
    }
  }
}

CDeviceOptionUI* DeviceSelector::EntryForType(int type_index) const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->type_index == type_index) return managed->entry;
  }
  return nullptr;
}

CKalvexUSBDevice* DeviceSelector::DeviceForType(int type_index) const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->type_index == type_index) return managed->device.get();
  }
  return nullptr;
}

DevicePanelSink* DeviceSelector::SinkForType(int type_index) const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->type_index == type_index) return managed->sink.get();
  }
  return nullptr;
}

CDeviceOptionUI* DeviceSelector::SelectedEntry() const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry && managed->entry->IsEntryVisible() && managed->entry->IsSelected()) return managed->entry;
  }
  return nullptr;
}

std::vector<CDeviceOptionUI*> DeviceSelector::Entries() const {
  std::vector<CDeviceOptionUI*> entries;
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry) entries.push_back(managed->entry);
  }
  return entries;
}

DeviceSelector::Managed* DeviceSelector::FindByEntry(const CDeviceOptionUI* entry) const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (managed->entry == entry) return managed.get();
  }
  return nullptr;
}

DeviceSelector::Managed* DeviceSelector::FindByRecord(const InterfaceSlot& record) const {
  for (const std::unique_ptr<Managed>& managed : devices_) {
    if (SlotKeysEqual(managed->record, record)) return managed.get();
  }
  return nullptr;
}

void DeviceSelector::Show(CDeviceOptionUI* entry) {
  if (Managed* managed = FindByEntry(entry)) EnsurePage(*managed);
  if (!entry->IsEntryVisible()) {
    const bool none_before = VisibleCount() == 0;
    entry->SetEntryVisible(true);
    if (none_before) Select(entry);
  }
  AfterVisibilityChange();
}

void DeviceSelector::Hide(CDeviceOptionUI* entry) {
  if (entry->IsEntryVisible() && entry->IsSelected()) {
    if (before_hide_selected_) before_hide_selected_();
    entry->SetSelected(false);
    for (CDeviceOptionUI* other : Entries()) {
      if (other != entry && other->IsEntryVisible()) {
        Select(other);
        break;
      }
    }
  }
  entry->SetEntryVisible(false);
  AfterVisibilityChange();
}

void DeviceSelector::Select(CDeviceOptionUI* entry) {
  if (Managed* managed = FindByEntry(entry)) EnsurePage(*managed);
  entry->SetEntryVisible(true);
  if (device_switch_ && entry->Page() >= 0) device_switch_->setCurrentIndex(entry->Page());
  if (power_switch_) {
    if (entry->PowerPage() >= 0) {
      power_switch_->setCurrentIndex(entry->PowerPage());
      power_switch_->show();
    } else {
      power_switch_->hide();
    }
  }
  for (CDeviceOptionUI* other : Entries()) other->SetSelected(other == entry);
  if (selection_changed_) selection_changed_();
}

bool DeviceSelector::SelectAdjacent(bool next) {
  const std::vector<CDeviceOptionUI*> entries = Entries();
  const CDeviceOptionUI* selected = SelectedEntry();
  int at = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == selected) at = static_cast<int>(i);
  }
  if (at < 0) return false;
  const int step = next ? 1 : -1;
  for (int i = at + step; i >= 0 && i < static_cast<int>(entries.size()); i += step) {
    if (entries[static_cast<size_t>(i)]->IsEntryVisible()) {
      Select(entries[static_cast<size_t>(i)]);
      return true;
    }
  }
  return false;
}

std::vector<CKalvexUSBDevice*> DeviceSelector::DevicesInKindOrder() const {
  std::vector<CKalvexUSBDevice*> devices;
  for (int type : {InterfaceCatalogue::kKeyboardType, InterfaceCatalogue::kMouseType,
                   InterfaceCatalogue::kMousePadType, InterfaceCatalogue::kHeadsetType}) {
    if (CKalvexUSBDevice* device = DeviceForType(type)) devices.push_back(device);
  }
  return devices;
}

void DeviceSelector::AfterVisibilityChange() {
  const int visible = VisibleCount();
  if (visible == 0) {
    if (device_switch_ && device_switch_->count() > 0) device_switch_->setCurrentIndex(0);
    if (power_switch_) {
      if (power_switch_->count() > 0) power_switch_->setCurrentIndex(0);
      power_switch_->hide();
    }
  }
  UpdateNoDevicePanel();
  int synchro = 0;
  for (CDeviceOptionUI* entry : Entries()) {
    if (entry->IsEntryVisible() && entry->IsSynchroChecked()) ++synchro;
  }
  if (synchro < 2) {
    for (CDeviceOptionUI* entry : Entries()) entry->SetSynchroChecked(false);
  }
  // Synchronisation needs two devices on screen; with fewer every device leaves it.
  if (visible < 2) {
    for (const std::unique_ptr<Managed>& managed : devices_) managed->device->SetSyncFlag(false);
  }
  if (visibility_changed_) visibility_changed_(visible);
}

}  // namespace zt640
