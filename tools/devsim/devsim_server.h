#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "devsim/device_packet.h"
#include "devsim/fault_plan.h"
#include "devsim/hidraw_node.h"
#include "devsim/keyboard_model.h"
#include "devsim/lighting_device_model.h"
#include "devsim/mouse_model.h"
#include "devsim/path_journal.h"
#include "devsim/receiver_model.h"
#include "devsim/request_log.h"
#include "devsim/sysfs_tree.h"
#include "devsim/unique_fd.h"

namespace zt640::devsim {

enum class SimDeviceId { kKeyboard = 0, kReceiver = 1, kMouse = 2, kMouseReceiver = 3, kPad = 4, kHeadset = 5 };

struct UsbIdentity {
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint16_t version = 0;
};

struct DevsimConfig {
  std::filesystem::path root;
  bool with_keyboard = true;  ///< the keyboard is simulated (cable, and receiver if asked)
  UsbIdentity keyboard{0x320F, 0x505B, 0x0103};
  bool keyboard_plugged = true;  ///< keyboard cable present at start
  bool with_receiver = false;
  UsbIdentity receiver{0x320F, 0x5089, 0x0100};
  bool keyboard_powered = true;  ///< keyboard reachable through the receiver
  /// The mouse on its cable. With either this or with_mouse_receiver the mouse
  /// model and its cable device exist; mouse_plugged says whether the cable is in.
  bool with_mouse = false;
  bool mouse_plugged = true;  ///< mouse cable present at start
  bool with_mouse_receiver = false;
  UsbIdentity mouse{0x320F, 0x5A1C, 0x0102};
  UsbIdentity mouse_receiver{0x320F, 0x5A1D, 0x0100};
  bool mouse_powered = true;  ///< mouse reachable through its receiver
  MouseVariant mouse_variant = MouseVariant::kElevenButtons;
  bool with_pad = false;  ///< the mouse pad, plugged at start
  UsbIdentity pad{0x320F, 0x5A40, 0x0101};
  bool with_headset = false;  ///< the headset, plugged at start
  UsbIdentity headset{0x320F, 0x5A60, 0x0103};
  std::filesystem::path log_file;  ///< empty: no request log
  std::filesystem::path devices_json;  ///< empty: no devices.json written
  FaultSettings fault;
  uint8_t battery_percent = 85;
  uint8_t charge_state = 0;
};

/// Runs the simulated devices: writes their sysfs folders and socket nodes
/// under the root, serves every client on one loop thread (poll), answers
/// command reports through the keyboard, mouse or a receiver model with the configured
/// faults, and removes everything it wrote on Stop.
///
/// Thread-safe: device and node state is guarded by state_mutex_, which the
/// loop thread holds while it handles events (never while it waits in poll);
/// a public operation that changes the node set wakes the loop so it polls the
/// new set.
class DevsimServer {
 public:
  explicit DevsimServer(DevsimConfig config);
  ~DevsimServer();
  DevsimServer(const DevsimServer&) = delete;
  DevsimServer& operator=(const DevsimServer&) = delete;

  /// Creates the root and the plugged devices' trees and nodes, then starts
  /// the loop. False with *error set (nothing left behind) on failure.
  [[nodiscard]] bool Start(std::string* error);
  /// Ends the loop, hangs up on every client, removes every file, symlink and
  /// folder it created. Idempotent.
  void Stop();

  /// Plugs a device in (its tree and nodes appear). False when it is already
  /// plugged, not simulated, or the tree cannot be written (*error set).
  [[nodiscard]] bool Plug(SimDeviceId device, std::string* error = nullptr);
  /// Unplugs: clients are hung up on, nodes and folders removed. False when
  /// it was not plugged.
  [[nodiscard]] bool Unplug(SimDeviceId device);
  [[nodiscard]] bool Plugged(SimDeviceId device);

  /// Switches the keyboard on or off behind the receiver.
  void SetKeyboardPowered(bool powered);
  [[nodiscard]] bool KeyboardPowered() const { return receiver_model_.DevicePowered(); }
  /// Switches the mouse on or off behind its receiver.
  void SetMousePowered(bool powered);
  [[nodiscard]] bool MousePowered() const { return mouse_receiver_model_.DevicePowered(); }

  /// Sends one notification usage on the consumer collection of the
  /// keyboard's cable node, or of the receiver's node when the cable is
  /// unplugged and the keyboard is on. False when neither is reachable.
  [[nodiscard]] bool SendNotification(uint16_t usage);
  /// Changes the keyboard's active slot as its slot keys do, then reports it.
  /// False for a slot the keyboard lacks or when the report cannot be sent.
  [[nodiscard]] bool SelectSlot(uint8_t slot);
  /// Reports a device key press or release; false for a key the keyboard lacks.
  [[nodiscard]] bool KeyEvent(unsigned device_key, bool pressed);

  /// Sends one of the mouse's own reports on the consumer collection of its
  /// cable's node, or of its receiver's node when the cable is unplugged and
  /// the mouse is on. False when neither is reachable.
  [[nodiscard]] bool SendMouseReport(uint16_t usage);
  /// Changes the mouse's active slot as its profile button does, then reports
  /// it (0x1000 + slot). False for a slot the mouse lacks or when unreachable.
  [[nodiscard]] bool SelectMouseSlot(uint8_t slot);
  /// Changes the mouse's current DPI stage as its DPI button does, then reports
  /// it with the active slot (0x1100 + stage * 16 + slot). False for a stage
  /// the mouse cannot select or when unreachable.
  [[nodiscard]] bool SelectMouseStage(uint8_t stage);

  /// Sends one of the pad's or the headset's own reports (`device` kPad or
  /// kHeadset) on its consumer-control report. False when it is unplugged.
  [[nodiscard]] bool SendLightingDeviceReport(SimDeviceId device, uint16_t usage);

  /// Replaces the fault settings and restarts their counts.
  void SetFault(const FaultSettings& fault);

  [[nodiscard]] KeyboardModel& Keyboard() { return keyboard_; }
  [[nodiscard]] MouseModel& Mouse() { return mouse_; }
  [[nodiscard]] LightingDeviceModel& Pad() { return pad_; }
  [[nodiscard]] LightingDeviceModel& Headset() { return headset_; }
  [[nodiscard]] const DevsimConfig& Config() const { return config_; }
  [[nodiscard]] const std::filesystem::path& Root() const { return root_; }
  /// The socket node of one USB interface of a device; empty when unplugged.
  [[nodiscard]] std::string NodePath(SimDeviceId device, uint8_t interface_number);
  /// Command reports received so far (all devices).
  [[nodiscard]] uint64_t RequestCount();
  /// Clients connected to one node (0 when unplugged).
  [[nodiscard]] size_t ClientCount(SimDeviceId device, uint8_t interface_number);

 private:
  struct Device {
    SimDeviceId id = SimDeviceId::kKeyboard;
    UsbDeviceSpec spec;
    std::unique_ptr<SysfsTree> tree;
    std::vector<std::unique_ptr<HidrawNode>> nodes;  ///< per interface; empty when unplugged
    uint64_t generation = 0;                         ///< bumped on every plug
  };
  struct PendingReply {
    std::chrono::steady_clock::time_point due;
    SimDeviceId device;
    uint64_t generation;
    size_t interface_index;
    DevicePacket reply;
  };

  void Loop();
  void Wake();
  void HandleReport(Device& device, size_t interface_index, std::span<const uint8_t> bytes);
  [[nodiscard]] std::optional<DevicePacket> Answer(SimDeviceId device, const DevicePacket& request);
  void SendReply(SimDeviceId device, uint64_t generation, size_t interface_index,
                 const DevicePacket& reply);
  void DeliverDueReplies();
  [[nodiscard]] int PollTimeoutMs() const;
  [[nodiscard]] bool PlugNow(Device& device, std::string* error);
  [[nodiscard]] bool UnplugNow(Device& device);
  /// Lowest hidraw number free under the root, in use by no plugged device
  /// and not in also_taken.
  [[nodiscard]] int AllocateHidraw(const std::vector<int>& also_taken) const;
  [[nodiscard]] HidrawNode* Node(SimDeviceId device, uint8_t interface_number);
  [[nodiscard]] bool SendNotificationNow(uint16_t usage);
  [[nodiscard]] bool SendMouseReportNow(uint16_t usage);
  void ShutDownDevices();

  DevsimConfig config_;
  std::filesystem::path root_;
  KeyboardModel keyboard_;
  ReceiverModel receiver_model_;
  MouseModel mouse_;
  ReceiverModel mouse_receiver_model_;
  LightingDeviceModel pad_;
  LightingDeviceModel headset_;
  FaultPlan faults_;

  std::mutex state_mutex_;
  std::vector<Device> devices_;        ///< guarded by state_mutex_
  PathJournal root_journal_;           ///< guarded by state_mutex_
  RequestLog log_;                     ///< guarded by state_mutex_
  std::vector<PendingReply> pending_;  ///< late replies; guarded by state_mutex_
  unsigned hid_sequence_ = 0;          ///< guarded by state_mutex_
  uint64_t request_count_ = 0;         ///< guarded by state_mutex_
  bool started_ = false;               ///< guarded by state_mutex_

  std::atomic<bool> stop_requested_{false};
  UniqueFd wake_;  ///< eventfd that wakes the loop out of poll
  std::thread loop_;
};

}  // namespace zt640::devsim
