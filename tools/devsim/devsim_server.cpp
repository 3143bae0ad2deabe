#include "devsim/devsim_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "devsim/descriptors.h"
#include "devsim/headset_descriptors.h"
#include "devsim/lighting_device_notification.h"
#include "devsim/keyboard_factory_image.h"
#include "devsim/keyboard_notification.h"
#include "devsim/mouse_descriptors.h"
#include "devsim/mouse_notification.h"

namespace zt640::devsim {
namespace fs = std::filesystem;

namespace {

constexpr uint8_t kCommandInterface = 1;

// The commands the mouse receiver relays in whole 56-byte pieces: shoot data
// always travels in 56-byte chunks, over the cable and the radio alike.
constexpr std::array<uint8_t, 1> kMouseReceiverWholeCommands = {
    static_cast<uint8_t>(CommandCode::kWriteShootData)};

// Requests are told from other reports by one id on every device's interface 1.
static_assert(MouseDescriptors::kVendorReportId == Descriptors::kVendorReportId);

UsbDeviceSpec MakeSpec(const UsbIdentity& identity, int port, std::string name) {
  UsbDeviceSpec spec;
  spec.vendor = identity.vendor;
  spec.product = identity.product;
  spec.version = identity.version;
  spec.port = port;
  spec.manufacturer = "zt640sim";
  spec.name = std::move(name);
  spec.interfaces.push_back({0, Descriptors::BootKeyboard(), 0});
  spec.interfaces.push_back({kCommandInterface, Descriptors::FourCollections(), 0});
  return spec;
}

UsbDeviceSpec MakeMouseSpec(const UsbIdentity& identity, int port, std::string name) {
  UsbDeviceSpec spec = MakeSpec(identity, port, std::move(name));
  spec.interfaces = {{0, MouseDescriptors::BootMouse(), 0},
                     {kCommandInterface, MouseDescriptors::CommandInterface(), 0}};
  return spec;
}

UsbDeviceSpec MakeHeadsetSpec(const UsbIdentity& identity, int port) {
  UsbDeviceSpec spec = MakeSpec(identity, port, "Headset");
  spec.interfaces = {{HeadsetDescriptors::kInterfaceNumber, HeadsetDescriptors::HidInterface(), 0}};
  spec.other_interfaces = HeadsetDescriptors::kAudioInterfaces;
  return spec;
}

// The interface that carries a device's command reports.
uint8_t CommandInterfaceOf(SimDeviceId device) {
  return device == SimDeviceId::kHeadset ? HeadsetDescriptors::kInterfaceNumber : kCommandInterface;
}

bool PathExists(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The reply's command byte made to differ from the request's without turning
// into the receiver's "device did not answer" code.
uint8_t WrongEcho(uint8_t command) {
  uint8_t wrong = static_cast<uint8_t>(command + 1);
  if (wrong == static_cast<uint8_t>(CommandCode::kQueryReceiverLink)) ++wrong;
  return wrong;
}

}  // namespace

DevsimServer::DevsimServer(DevsimConfig config)
    : config_(std::move(config)),
      keyboard_(KeyboardModelConfig{config_.keyboard.version, config_.battery_percent,
                                    config_.charge_state}),
      receiver_model_(keyboard_, config_.keyboard_powered),
      mouse_(MouseModelConfig{config_.mouse_variant, config_.mouse.version,
                              config_.battery_percent, config_.charge_state}),
      mouse_receiver_model_(mouse_, config_.mouse_powered, kMouseReceiverWholeCommands),
      pad_(LightingModelConfig{15, config_.pad.version, true, false, config_.battery_percent, config_.charge_state}),
      headset_(LightingModelConfig{13, config_.headset.version, false, true, config_.battery_percent,
                                   config_.charge_state}),
      faults_(config_.fault) {
  if (config_.with_keyboard) {
    devices_.push_back({SimDeviceId::kKeyboard, MakeSpec(config_.keyboard, 1, "Keyboard"),
                        nullptr, {}, 0});
  }
  if (config_.with_keyboard && config_.with_receiver) {
    devices_.push_back({SimDeviceId::kReceiver,
                        MakeSpec(config_.receiver, 2, "2.4G Receiver"), nullptr, {}, 0});
  }
  if (config_.with_mouse || config_.with_mouse_receiver) {
    devices_.push_back({SimDeviceId::kMouse, MakeMouseSpec(config_.mouse, 3, "Mouse"), nullptr,
                        {}, 0});
  }
  if (config_.with_mouse_receiver) {
    devices_.push_back({SimDeviceId::kMouseReceiver,
                        MakeMouseSpec(config_.mouse_receiver, 4, "2.4G Mouse Receiver"), nullptr,
                        {}, 0});
  }
  if (config_.with_pad) devices_.push_back({SimDeviceId::kPad, MakeSpec(config_.pad, 5, "Mouse Pad"), nullptr, {}, 0});
  if (config_.with_headset) {
    devices_.push_back({SimDeviceId::kHeadset, MakeHeadsetSpec(config_.headset, 6), nullptr, {}, 0});
  }
}

DevsimServer::~DevsimServer() { Stop(); }

bool DevsimServer::Start(std::string* error) {
  std::lock_guard lock(state_mutex_);
  if (started_) {
    if (error) *error = "already started";
    return false;
  }
  std::error_code ec;
  root_ = fs::absolute(config_.root, ec);
  if (config_.root.empty() || ec) {
    if (error) *error = "no usable root folder";
    return false;
  }
  const auto fail = [&](const std::string& message) {
    if (error) *error = message;
    ShutDownDevices();
    return false;
  };
  if (!root_journal_.MakeDirectories(root_ / "dev") ||
      !root_journal_.MakeDirectories(SysfsTree::BusFolder(root_)) ||
      !root_journal_.MakeDirectories(SysfsTree::ClassFolder(root_))) {
    return fail(root_journal_.Error());
  }
  std::string message;
  if (!config_.log_file.empty() && !log_.Open(config_.log_file, &message)) return fail(message);
  for (Device& device : devices_) {
    const bool wanted = (device.id != SimDeviceId::kKeyboard || config_.keyboard_plugged) &&
                        (device.id != SimDeviceId::kMouse || config_.mouse_plugged);
    if (wanted && !PlugNow(device, &message)) return fail(message);
  }
  wake_ = UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!wake_.Valid()) return fail(std::string("eventfd: ") + std::strerror(errno));
  stop_requested_ = false;
  loop_ = std::thread([this] { Loop(); });
  started_ = true;
  return true;
}

void DevsimServer::Stop() {
  stop_requested_ = true;
  Wake();
  if (loop_.joinable()) loop_.join();
  std::lock_guard lock(state_mutex_);
  ShutDownDevices();
  started_ = false;
}

void DevsimServer::ShutDownDevices() {
  for (Device& device : devices_) (void)UnplugNow(device);  // false only for a device not plugged
  pending_.clear();
  root_journal_.RemoveAll();
}

void DevsimServer::Wake() {
  if (!wake_.Valid()) return;
  const uint64_t one = 1;
  // A full counter already guarantees a wake-up; the result does not matter.
  (void)!::write(wake_.Get(), &one, sizeof(one));
}

bool DevsimServer::Plug(SimDeviceId id, std::string* error) {
  std::lock_guard lock(state_mutex_);
  for (Device& device : devices_) {
    if (device.id != id) continue;
    if (!device.nodes.empty()) {
      if (error) *error = "already plugged";
      return false;
    }
    const bool plugged = PlugNow(device, error);
    Wake();
    return plugged;
  }
  if (error) *error = "device not simulated";
  return false;
}

bool DevsimServer::Unplug(SimDeviceId id) {
  std::lock_guard lock(state_mutex_);
  for (Device& device : devices_) {
    if (device.id == id) {
      const bool unplugged = UnplugNow(device);
      Wake();
      return unplugged;
    }
  }
  return false;
}

bool DevsimServer::Plugged(SimDeviceId id) {
  std::lock_guard lock(state_mutex_);
  for (const Device& device : devices_) {
    if (device.id == id) return !device.nodes.empty();
  }
  return false;
}

int DevsimServer::AllocateHidraw(const std::vector<int>& also_taken) const {
  for (int k = 0;; ++k) {
    const std::string name = "hidraw" + std::to_string(k);
    bool taken = PathExists(root_ / "dev" / name) ||
                 PathExists(SysfsTree::ClassFolder(root_) / name) ||
                 std::find(also_taken.begin(), also_taken.end(), k) != also_taken.end();
    for (const Device& device : devices_) {
      if (device.nodes.empty()) continue;
      for (const HidInterfaceSpec& interface : device.spec.interfaces) {
        taken = taken || interface.hidraw == k;
      }
    }
    if (!taken) return k;
  }
}

bool DevsimServer::PlugNow(Device& device, std::string* error) {
  if (!device.nodes.empty()) return false;
  // Each interface takes the lowest free number, as the kernel hands out minors.
  std::vector<int> numbers;
  for (HidInterfaceSpec& interface : device.spec.interfaces) {
    interface.hidraw = AllocateHidraw(numbers);
    numbers.push_back(interface.hidraw);
  }
  auto tree = std::make_unique<SysfsTree>();
  if (!tree->Write(root_, device.spec, hid_sequence_, error)) return false;
  std::vector<std::unique_ptr<HidrawNode>> nodes;
  for (const HidInterfaceSpec& interface : device.spec.interfaces) {
    auto node =
        std::make_unique<HidrawNode>(root_ / "dev" / ("hidraw" + std::to_string(interface.hidraw)));
    if (!node->Listen(error)) return false;  // tree and nodes so far remove themselves
    nodes.push_back(std::move(node));
  }
  device.tree = std::move(tree);
  device.nodes = std::move(nodes);
  ++device.generation;
  return true;
}

bool DevsimServer::UnplugNow(Device& device) {
  if (device.nodes.empty()) return false;
  // The node goes first, as the kernel removes /dev/hidrawK before the
  // device's sysfs folders.
  device.nodes.clear();
  device.tree.reset();
  std::erase_if(pending_, [&](const PendingReply& p) { return p.device == device.id; });
  return true;
}

void DevsimServer::SetKeyboardPowered(bool powered) { receiver_model_.SetDevicePowered(powered); }

void DevsimServer::SetMousePowered(bool powered) {
  mouse_receiver_model_.SetDevicePowered(powered);
}

bool DevsimServer::SendNotification(uint16_t usage) {
  std::lock_guard lock(state_mutex_);
  return SendNotificationNow(usage);
}

bool DevsimServer::SendNotificationNow(uint16_t usage) {
  const auto report = KeyboardNotification::Report(usage);
  if (HidrawNode* node = Node(SimDeviceId::kKeyboard, kCommandInterface)) {
    node->Broadcast(report);
    return true;
  }
  if (receiver_model_.DevicePowered()) {
    if (HidrawNode* node = Node(SimDeviceId::kReceiver, kCommandInterface)) {
      node->Broadcast(report);
      return true;
    }
  }
  return false;
}

bool DevsimServer::SelectSlot(uint8_t slot) {
  std::lock_guard lock(state_mutex_);
  const auto usage = KeyboardNotification::Slot(slot);
  if (!usage || !keyboard_.SelectSlot(slot)) return false;
  return SendNotificationNow(*usage);
}

bool DevsimServer::KeyEvent(unsigned device_key, bool pressed) {
  if (device_key >= keyboard_.KeyCount()) return false;
  const auto usage = KeyboardNotification::Key(device_key, pressed);
  return usage && SendNotification(*usage);
}

bool DevsimServer::SendMouseReport(uint16_t usage) {
  std::lock_guard lock(state_mutex_);
  return SendMouseReportNow(usage);
}

bool DevsimServer::SendMouseReportNow(uint16_t usage) {
  const auto report = MouseNotification::Report(usage);
  if (HidrawNode* node = Node(SimDeviceId::kMouse, kCommandInterface)) {
    node->Broadcast(report);
    return true;
  }
  if (mouse_receiver_model_.DevicePowered()) {
    if (HidrawNode* node = Node(SimDeviceId::kMouseReceiver, kCommandInterface)) {
      node->Broadcast(report);
      return true;
    }
  }
  return false;
}

bool DevsimServer::SelectMouseSlot(uint8_t slot) {
  std::lock_guard lock(state_mutex_);
  const auto usage = MouseNotification::Slot(slot);
  if (!usage || !mouse_.SelectSlot(slot)) return false;
  return SendMouseReportNow(*usage);
}

bool DevsimServer::SelectMouseStage(uint8_t stage) {
  std::lock_guard lock(state_mutex_);
  if (!mouse_.SelectStage(stage)) return false;
  const auto usage = MouseNotification::Stage(stage, mouse_.ActiveSlot());
  return usage && SendMouseReportNow(*usage);
}

bool DevsimServer::SendLightingDeviceReport(SimDeviceId device, uint16_t usage) {
  if (device != SimDeviceId::kPad && device != SimDeviceId::kHeadset) return false;
  std::lock_guard lock(state_mutex_);
  HidrawNode* node = Node(device, CommandInterfaceOf(device));
  if (node == nullptr) return false;
  node->Broadcast(LightingDeviceNotification::Report(usage));
  return true;
}

void DevsimServer::SetFault(const FaultSettings& fault) { faults_.Reset(fault); }

HidrawNode* DevsimServer::Node(SimDeviceId id, uint8_t interface_number) {
  for (Device& device : devices_) {
    if (device.id != id || device.nodes.empty()) continue;
    for (size_t i = 0; i < device.spec.interfaces.size(); ++i) {
      if (device.spec.interfaces[i].number == interface_number) return device.nodes[i].get();
    }
  }
  return nullptr;
}

std::string DevsimServer::NodePath(SimDeviceId id, uint8_t interface_number) {
  std::lock_guard lock(state_mutex_);
  const HidrawNode* node = Node(id, interface_number);
  return node ? node->Path().string() : std::string();
}

size_t DevsimServer::ClientCount(SimDeviceId id, uint8_t interface_number) {
  std::lock_guard lock(state_mutex_);
  const HidrawNode* node = Node(id, interface_number);
  return node ? node->ClientCount() : 0;
}

uint64_t DevsimServer::RequestCount() {
  std::lock_guard lock(state_mutex_);
  return request_count_;
}

void DevsimServer::Loop() {
  // What a pollfd stands for; validated again under the lock before use, as
  // another thread may have unplugged the device while the loop waited.
  struct Source {
    SimDeviceId device;
    uint64_t generation;
    size_t interface_index;
    int client_fd;  ///< -1: the node's listening socket
  };
  std::vector<pollfd> fds;
  std::vector<Source> sources;
  int timeout_ms = -1;
  while (!stop_requested_) {
    {
      std::lock_guard lock(state_mutex_);
      fds.assign(1, pollfd{wake_.Get(), POLLIN, 0});
      sources.assign(1, Source{});
      for (const Device& device : devices_) {
        for (size_t i = 0; i < device.nodes.size(); ++i) {
          fds.push_back({device.nodes[i]->ListenFd(), POLLIN, 0});
          sources.push_back({device.id, device.generation, i, -1});
          for (int fd : device.nodes[i]->ClientFds()) {
            fds.push_back({fd, POLLIN, 0});
            sources.push_back({device.id, device.generation, i, fd});
          }
        }
      }
      timeout_ms = PollTimeoutMs();
    }
    const int ready = ::poll(fds.data(), fds.size(), timeout_ms);
    if (stop_requested_) break;
    if (ready < 0 && errno != EINTR) break;

    std::lock_guard lock(state_mutex_);
    if (fds[0].revents != 0) {
      uint64_t count = 0;
      (void)!::read(wake_.Get(), &count, sizeof(count));  // only resets the wake counter
    }
    for (size_t k = 1; ready > 0 && k < fds.size(); ++k) {
      if (fds[k].revents == 0) continue;
      const Source& source = sources[k];
      Device* device = nullptr;
      for (Device& candidate : devices_) {
        if (candidate.id == source.device && candidate.generation == source.generation &&
            !candidate.nodes.empty()) {
          device = &candidate;
        }
      }
      if (device == nullptr) continue;
      HidrawNode& node = *device->nodes[source.interface_index];
      if (source.client_fd < 0) {
        node.AcceptPending();
        continue;
      }
      const HidrawNode::Message message = node.Receive(source.client_fd);
      if (message.kind == HidrawNode::Message::Kind::kReport) {
        HandleReport(*device, source.interface_index, message.bytes);
      }
    }
    DeliverDueReplies();
  }
}

void DevsimServer::HandleReport(Device& device, size_t interface_index,
                                std::span<const uint8_t> bytes) {
  // Only the command collection takes requests; the boot keyboard's LED
  // reports and reports for the other collections are accepted and ignored.
  // A report longer than the collection's 64 bytes never reaches the firmware.
  if (device.spec.interfaces[interface_index].number != CommandInterfaceOf(device.id) || bytes.empty()) return;
  if (device.id == SimDeviceId::kHeadset && bytes[0] == HeadsetDescriptors::kLightReportId) {
    (void)headset_.ReceiveOutputReport(bytes);  // a refused report is counted by the model
    return;
  }
  if (bytes[0] != Descriptors::kVendorReportId || bytes.size() > DevicePacket::kSize) return;
  const DevicePacket request(bytes);
  log_.Append(request.Bytes());
  ++request_count_;
  const FaultPlan::Decision decision = faults_.Next(request.Command());
  const SimDeviceId id = device.id;
  const uint64_t generation = device.generation;

  std::optional<DevicePacket> reply;
  switch (decision.kind) {
    case FaultKind::kSilent:
      break;
    case FaultKind::kStatus:
      reply = DevicePacket::Reply(request.Command(), request.Length(), request.Offset(),
                                  static_cast<ReplyStatus>(decision.status));
      reply->SealChecksum();
      break;
    case FaultKind::kWrongEcho:
      reply = Answer(id, request);
      if (reply) {
        reply->SetCommand(WrongEcho(reply->Command()));
        reply->SealChecksum();
      }
      break;
    case FaultKind::kLate:
    case FaultKind::kNone:
      reply = Answer(id, request);
      break;
  }
  if (reply) {
    if (decision.kind == FaultKind::kLate) {
      pending_.push_back({std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(decision.late_ms),
                          id, generation, interface_index, *reply});
    } else {
      SendReply(id, generation, interface_index, *reply);
    }
  }
  if (decision.unplug_after_reply) (void)UnplugNow(device);  // false only when it is unplugged already
}

std::optional<DevicePacket> DevsimServer::Answer(SimDeviceId device, const DevicePacket& request) {
  switch (device) {
    case SimDeviceId::kKeyboard:
      return keyboard_.Handle(request);
    case SimDeviceId::kReceiver:
      return receiver_model_.Handle(request);
    case SimDeviceId::kMouse:
      return mouse_.Handle(request);
    case SimDeviceId::kMouseReceiver:
      return mouse_receiver_model_.Handle(request);
    case SimDeviceId::kPad:
      return pad_.Handle(request);
    case SimDeviceId::kHeadset:
      return headset_.Handle(request);
  }
  return std::nullopt;
}

void DevsimServer::SendReply(SimDeviceId id, uint64_t generation, size_t interface_index,
                             const DevicePacket& reply) {
  for (Device& device : devices_) {
    if (device.id == id && device.generation == generation &&
        interface_index < device.nodes.size()) {
      device.nodes[interface_index]->Broadcast(reply.Bytes());
    }
  }
}

void DevsimServer::DeliverDueReplies() {
  const auto now = std::chrono::steady_clock::now();
  // Deliver in due order; a reply made due by the same clock reading keeps
  // the order its requests came in.
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const PendingReply& a, const PendingReply& b) { return a.due < b.due; });
  size_t delivered = 0;
  for (; delivered < pending_.size() && pending_[delivered].due <= now; ++delivered) {
    const PendingReply& p = pending_[delivered];
    SendReply(p.device, p.generation, p.interface_index, p.reply);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(delivered));
}

int DevsimServer::PollTimeoutMs() const {
  if (pending_.empty()) return -1;
  auto due = pending_.front().due;
  for (const PendingReply& p : pending_) due = std::min(due, p.due);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due -
                                                                 std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<int64_t>(wait.count(), 0, 60'000));
}

}  // namespace zt640::devsim
