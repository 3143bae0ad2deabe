#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/interface_catalogue.h"
#include "devices/device_panel_sink.h"
#include "devices/function_switch.h"
#include "devices/host_effect_renderer.h"
#include "devices/light_state.h"
#include "devices/macro_write_result.h"
#include "devices/zone_colour.h"
#include "platform/sync/event.h"
#include "profiles/key_assignment.h"
#include "profiles/profile_folders.h"
#include "transport/command_channel.h"
#include "transport/device_info_record.h"

namespace zt640 {

/// The lighting state a device shares with its lighting worker. Owned by
/// shared pointer, so a worker that outlives its wait never touches freed memory.
struct LightingCore {
  explicit LightingCore(std::unique_ptr<HostEffectRenderer> effect_renderer)
      : renderer(std::move(effect_renderer)) {}
  std::mutex mutex;  ///< guards renderer (zones, light state, effect buffers)
  std::unique_ptr<HostEffectRenderer> renderer;
  uint64_t generation = 0;  ///< guarded by mutex; counts rendered passes
  /// Someone looks at the device's picture: the host renders even the modes the
  /// device runs by itself, so the picture shows them.
  std::atomic<bool> on_screen{true};
  /// The host controls the lighting (mirrors the device's flag for its worker).
  std::atomic<bool> host_lighting{true};
  /// Set when something an idle lighting worker waits for changed (the picture
  /// came on screen, the channel opened, the mode changed).
  platform::Event changed{platform::Event::Mode::kAutoReset};
  /// Called by the worker, under mutex, after a pass that left the zones
  /// different from the last frame taken (or the first pass after a listener came):
  /// whoever streams the frames sends one then instead of polling. A listener that
  /// declines a frame (returns false) is called again after the next pass, changed
  /// or not. Keyed by owner.
  std::vector<std::pair<const void*, std::function<bool()>>> frame_listeners;
  std::vector<ZoneColour> notified_zones;  ///< guarded by mutex: the zones as last taken

  /// Under mutex, after a pass: tells the listeners when `zones` differ from the
  /// frame last taken. True when the frame was declined and waits for the next pass.
  bool OfferFrame(const std::vector<ZoneColour>& zones);
};

/// The catalogue entry a device object serves.
struct DeviceTypeInfo {
  std::string kind_name;
  std::string folder_name;
  int32_t page_type = 0;
  DeviceKind kind = DeviceKind::kNone;
  int32_t model = 0;
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  int32_t light_count = 0;  ///< zones of the device's lighting
  int32_t key_count = 0;
  bool wireless = false;
  std::string light_file_prefix;  ///< names the device's light configuration file

  /// The entry of a catalogue device type row; the data folder is named after its kind.
  [[nodiscard]] static DeviceTypeInfo FromRow(const DeviceTypeRow& row);
};

/// The device object every peripheral kind derives from: identity, command
/// channel, device information, key maps, lighting state with the shared host
/// effects, data folders, and the virtual interface (in slot order) through
/// which the main window, editors and workers drive every kind alike.
///
/// Threads: one thread at a time runs operations on the object, holding its
/// operation lock (the owner's device worker for everything that may wait on the
/// device, user edits included; the UI thread, only when the lock is free, to read
/// the state a page shows or prepare an edit); the lighting worker uses only the
/// lighting core and the channel, both shared with it by shared pointer.
/// Connect and Disconnect run on the owner's thread without that lock:
/// Disconnect is what cuts a waiting exchange short.
class CKalvexUSBDevice {
 public:
  static constexpr size_t kMaxFrameZones = 170;
  static constexpr size_t kFrameSize = 512;
  static constexpr uint8_t kNoMapping = 255;
  static constexpr int kLightFailureSleepMs = 200;

  CKalvexUSBDevice(ProfileFolders folders, std::string folder_name,
                   std::unique_ptr<HostEffectRenderer> renderer = nullptr,
                   DevicePanelSink* sink = nullptr);
  virtual ~CKalvexUSBDevice();
  CKalvexUSBDevice(const CKalvexUSBDevice&) = delete;
  CKalvexUSBDevice& operator=(const CKalvexUSBDevice&) = delete;

  [[nodiscard]] virtual const char* GetClass() const { return "KalvexUSBDevice"; }

  // Virtual operations, in slot order.
  virtual void BuildKeyControls(int key_count);                      // 1
  virtual void InitializeDevice() {}                                  // 2
  virtual void RenderBreathing();                                     // 3
  virtual void RenderBreathingFourColours();                          // 4
  virtual void RenderStatic();                                        // 5
  virtual void RenderSpectrum();                                      // 6
  virtual void RenderBlink();                                         // 7
  virtual void RenderBlinkFourColours();                              // 8
  virtual void RenderOff();                                           // 9
  virtual void SendLightFrame();                                      // 10
  /// The panel's part of SendLightFrame alone (UI thread): while host lighting is
  /// on and the panel is on screen it shows the current zones at once; nothing
  /// goes to the device.
  void ShowLightFrame();
  virtual void SetZoneColour(size_t index, const ZoneColour& colour); // 11
  [[nodiscard]] virtual ZoneColour GetZoneColour(size_t index) const; // 12
  virtual void ReadDevice() {}                                        // 13
  virtual void RefreshFromDevice() {}                                 // 14
  virtual void ReadPowerStatus() {}                                   // 17
  [[nodiscard]] virtual bool IsReceiverLinkUp() { return true; }      // 18
  virtual void LoadProfileState() {}                                  // 19
  virtual void ApplyProfileState() {}                                 // 20
  virtual void DropMissingMacros() {}                                 // 21
  virtual void ApplyProfile() {}                                      // 22
  [[nodiscard]] virtual std::vector<int> GetMacroUsage() { return {}; }  // 23
  [[nodiscard]] virtual int WriteKeyAssignments(int /*layer*/,
                                                std::map<int, KeyListEntry>* /*assignments*/) {
    return CommandResult::kFailed;
  }                                                                   // 24
  [[nodiscard]] virtual int WriteCurrentKeyAssignments(int /*layer*/) { return CommandResult::kFailed; }  // 25
  [[nodiscard]] virtual MacroWriteResult WriteMacros(const std::vector<int>& /*macros*/) { return {}; }  // 26
  [[nodiscard]] virtual int WriteSettingsRecord(int /*slot*/, int /*slot_number*/) {
    return CommandResult::kFailed;
  }                                                                   // 27
  virtual void LoadNameLists() {}                                     // 28
  virtual void SetAuxKeyMap(std::map<int, int> map) { aux_key_map_ = std::move(map); }  // 29
  virtual void FadeKeyLevel(size_t key, int mode);                    // 30
  virtual void LightRingKeys();                                       // 31
  virtual void RotateRing(int direction);                             // 32
  virtual void ClearEffectBuffers();                                  // 33
  virtual void SetFunctionSwitch(int32_t value);                      // 34
  [[nodiscard]] virtual int32_t GetFunctionSwitch() const { return function_switch_; }  // 35
  virtual void SetProfilePaths() {}                                   // 36
  [[nodiscard]] virtual std::string GetProfileName() const { return {}; }  // 37
  /// Saves the profile; false when the file could not be written.
  [[nodiscard]] virtual bool SaveProfileData() { return true; }       // 38
  virtual void SetPageType(int32_t page_type) { page_type_ = page_type; }  // 39
  [[nodiscard]] virtual int32_t GetPageType() const { return page_type_; }  // 40
  virtual void SetLightState(const std::array<uint32_t, 4>& words);   // 41
  virtual void SetAudioLightInfo(const AudioLightSetting& setting);   // 42
  [[nodiscard]] virtual AudioLightSetting GetAudioLightInfo() const { return audio_light_; }  // 43
  virtual void SetSelectedKey(int32_t index) { selected_key_ = index; }  // 44
  virtual void FeedAudioSpectrum(std::span<const int32_t> /*values*/) {}  // 45
  virtual void FeedAudioLevels(std::span<const int32_t> /*values*/) {}    // 46

  // Non-virtual operations.
  void SetZoneCount(size_t count);
  [[nodiscard]] size_t ZoneCount() const;
  /// Takes the entry's kind, model and light count: the zones are sized by it.
  void BindCatalogueEntry(const DeviceTypeInfo& entry);
  [[nodiscard]] const DeviceTypeInfo& CatalogueEntry() const { return catalogue_entry_; }
  [[nodiscard]] DeviceKind GetKind() const { return kind_; }
  [[nodiscard]] int32_t GetModelCode() const { return model_code_; }
  void SetModelCode(int32_t code) { model_code_ = code; }
  /// Stores the flag; switching it on for a keyboard hands it the lighting (0x1C)
  /// unless `tell_device` is false (the caller sends it later, off its own thread).
  void SetHostLighting(bool on, bool tell_device = true);
  [[nodiscard]] bool HostLighting() const { return host_lighting_.load(); }
  /// Whether the device's picture is on screen. While it is not, a device that
  /// runs its current effect itself needs no host rendering at all.
  void SetOnScreen(bool on) {
    core_->on_screen.store(on);
    core_->changed.Set();
  }
  [[nodiscard]] bool OnScreen() const { return core_->on_screen.load(); }
  /// Calls `listener` from the lighting worker after each pass that changed the
  /// zones; the call must only hand the news on (it runs under the lighting lock)
  /// and returns whether it took the frame (see LightingCore::frame_listeners).
  /// Replaces `owner`'s earlier listener. After RemoveFrameListener returns, the
  /// owner's listener is never called again.
  void AddFrameListener(const void* owner, std::function<bool()> listener);
  void RemoveFrameListener(const void* owner);
  /// True while the device depends on frames the host streams to it.
  [[nodiscard]] virtual bool StreamsHostFrames() const { return false; }
  /// Membership of the lighting synchronisation across devices. Every change sets
  /// the sync waker, so the synchronisation thread can sleep until one comes.
  void SetSyncFlag(bool on);
  [[nodiscard]] bool SyncFlag() const { return sync_flag_.load(); }
  void SetSyncWaker(std::shared_ptr<platform::Event> waker);
  /// User data root + folder name + "/", created when missing; empty when it cannot be.
  [[nodiscard]] std::string GetDataFolder() const;
  [[nodiscard]] std::string GetDefaultsFolder() const { return folders_.defaults; }
  [[nodiscard]] std::string GetDefaultProfilePath() const;
  void SetPanelSink(DevicePanelSink* sink);

  /// A secondary interface of this device (catalogue kind `kind`: the cable's
  /// or the receiver's) appeared at `path`; a device that listens to reports
  /// it sends on its own opens it and listens. False when nothing listens.
  [[nodiscard]] virtual bool AttachSecondaryInterface(DeviceKind /*kind*/, const std::string& /*path*/) {
    return false;
  }
  /// The secondary interface of catalogue kind `kind` went away.
  virtual void DetachSecondaryInterface(DeviceKind /*kind*/) {}
  /// Whether a listener is open on the secondary interface of `kind`.
  [[nodiscard]] virtual bool SecondaryInterfaceAttached(DeviceKind /*kind*/) const { return false; }

  /// Opens the interface at `path` (the receiver's when `via_receiver`) and
  /// marks the channel open with its connection type. False when it fails.
  [[nodiscard]] bool Connect(const std::string& path, bool via_receiver);
  /// Closes the channel's interfaces; the object keeps its data.
  void Disconnect();

  /// Held by whoever runs an operation on the device (its worker for each task,
  /// the UI thread around the routing of a user action), so operations of several steps never
  /// interleave and the device's state is never read while one is half done.
  [[nodiscard]] std::recursive_timed_mutex& OperationLock() const { return operation_lock_; }

  [[nodiscard]] CommandChannel& Channel() { return *channel_; }
  [[nodiscard]] const DeviceInfoRecord& DeviceInfo() const { return device_info_; }
  [[nodiscard]] LightState GetLightState() const;
  /// A copy of the zone colours, taken under the lighting lock.
  [[nodiscard]] std::vector<ZoneColour> ZoneSnapshot() const;
  [[nodiscard]] int32_t SelectedKey() const { return selected_key_; }

  /// The frame image of the zones: colour x brightness / 256 at 3i for zones
  /// below 170; the rest of the 512 bytes 0.
  [[nodiscard]] static std::array<uint8_t, kFrameSize> BuildFrame(std::span<const ZoneColour> zones);

 protected:
  /// Puts the zones on the panel (each kind knows which of them it shows).
  virtual void ShowZones(std::span<const ZoneColour> zones);
  [[nodiscard]] DevicePanelSink& Sink() { return *sink_; }
  [[nodiscard]] std::shared_ptr<LightingCore> Core() const { return core_; }
  [[nodiscard]] std::shared_ptr<CommandChannel> SharedChannel() const { return channel_; }

  ProfileFolders folders_;
  std::string folder_name_;
  DeviceTypeInfo catalogue_entry_;
  DeviceKind kind_ = DeviceKind::kNone;
  int32_t model_code_ = 0;
  DeviceInfoRecord device_info_;
  int key_count_ = 0;
  std::array<uint8_t, kMaxFrameZones> device_key_map_{};
  std::array<uint8_t, kMaxFrameZones> light_position_map_{};
  std::map<int, int> aux_key_map_;
  AudioLightSetting audio_light_;
  int32_t function_switch_ = FunctionSwitch::kLighting;
  int32_t page_type_ = 0;
  int32_t selected_key_ = -1;

 private:
  NullPanelSink null_sink_;
  DevicePanelSink* sink_ = &null_sink_;
  std::shared_ptr<CommandChannel> channel_;
  std::shared_ptr<LightingCore> core_;
  std::atomic<bool> host_lighting_{true};
  std::atomic<bool> sync_flag_{false};
  std::mutex sync_waker_mutex_;
  std::shared_ptr<platform::Event> sync_waker_;  ///< guarded by sync_waker_mutex_
  mutable std::recursive_timed_mutex operation_lock_;
};

}  // namespace zt640
