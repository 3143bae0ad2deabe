#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/effect_clock.h"
#include "devices/device_name_lists.h"
#include "devices/kalvex_usb_device.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devices/keyboard/keyboard_listener.h"
#include "devices/keyboard/keyboard_settings_record.h"
#include "devices/worker_thread.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/light_name_catalogue.h"

namespace zt640 {

/// The RGB keyboard: reads its tables and active settings on connect, turns the
/// profile into its key table, macro table and settings record, renders its
/// lighting on the host (streamed only in the audio modes 29 and 30), keeps its
/// per-key custom colours, and listens to the reports it sends on its own.
///
/// Threads: everything runs on the owner's (UI) thread except the lighting
/// worker, which uses only the lighting core and the channel, and the
/// listeners, which apply key presses to the lighting core and queue every
/// other report for ProcessListenerEvents on the owner's thread.
class CKalvexKeyboardDevice : public CKalvexUSBDevice {
 public:
  static constexpr int kUiKeyCount = KeyboardKeyMatcher::kUiKeyCount;
  /// The listeners, named by the kind of the interface each reads.
  static constexpr DeviceKind kListenerCable = DeviceKind::kKeyboard;
  static constexpr DeviceKind kListenerReceiver = DeviceKind::kKeyboardReceiver;
  static constexpr uint32_t kFirmwareVersionMessage = 3332;
  /// The firmware check applies to the keyboard's own cable interface.
  static constexpr uint16_t kGatedVendor = InterfaceCatalogue::kKeyboardVendorId;
  static constexpr uint16_t kGatedProduct = InterfaceCatalogue::kKeyboardProductId;
  static constexpr uint16_t kExpectedFirmware = 0x0103;
  static constexpr std::chrono::milliseconds kWorkerStopWait{1000};
  static constexpr int kCustomSlots = 3;
  /// Result of a key table write that could not place every changed key.
  static constexpr int kKeysLeftOut = -202;

  CKalvexKeyboardDevice(ProfileFolders folders, std::string folder_name,
                        DevicePanelSink* sink = nullptr, EffectClock clock = EffectClock());
  ~CKalvexKeyboardDevice() override;

  [[nodiscard]] const char* GetClass() const override { return "KalvexKeyboardDevice"; }

  void InitializeDevice() override;
  void SendLightFrame() override;
  void ShowZones(std::span<const ZoneColour> zones) override;
  [[nodiscard]] bool StreamsHostFrames() const override;
  void ReadDevice() override;
  void RefreshFromDevice() override;
  void ReadPowerStatus() override;
  [[nodiscard]] bool IsReceiverLinkUp() override;
  void LoadProfileState() override;
  void ApplyProfileState() override;
  void DropMissingMacros() override;
  void ApplyProfile() override;
  [[nodiscard]] std::vector<int> GetMacroUsage() override;
  /// CommandResult::kSuccess when the key table was written; the table write's
  /// own result code otherwise (kFailed when the channel is closed); kKeysLeftOut when the table was
  /// written but a changed key has no device key (see KeysLeftOut).
  [[nodiscard]] int WriteKeyAssignments(int layer, std::map<int, KeyListEntry>* assignments) override;
  [[nodiscard]] int WriteCurrentKeyAssignments(int layer) override;
  /// kWritten also when there is nothing to write; kFailed when no table
  /// could be built or an exchange failed; kTooLong with the overflow the user
  /// is told when the table does not fit the keyboard (nothing is sent then).
  [[nodiscard]] MacroWriteResult WriteMacros(const std::vector<int>& macros) override;
  /// CommandResult::kSuccess when the record was written (or the keyboard is
  /// not connected), else the failing command's result code.
  [[nodiscard]] int WriteSettingsRecord(int slot, int slot_number) override;
  void LoadNameLists() override;
  void SetFunctionSwitch(int32_t value) override;
  void SetProfilePaths() override;
  [[nodiscard]] std::string GetProfileName() const override { return profile_name_; }
  [[nodiscard]] bool SaveProfileData() override;
  void SetPageType(int32_t page_type) override;
  void SetLightState(const std::array<uint32_t, 4>& words) override;
  void SetAudioLightInfo(const AudioLightSetting& setting) override;
  void SetSelectedKey(int32_t index) override { selected_key_ = index; }
  void FeedAudioSpectrum(std::span<const int32_t> values) override;
  void FeedAudioLevels(std::span<const int32_t> values) override;

  /// The profile the device works on: data folder + name + ".Json".
  void SetProfileName(std::string uuid);

  // Reading the keyboard.
  /// Reads information, key table and key light map and matches the keys.
  /// A failed step does not stop the sequence (the previous information
  /// record stays); only a key count the channel refuses ends it, without
  /// 0x02. The first failing command's code, else CommandResult::kSuccess.
  [[nodiscard]] int ReadKeyTables();
  /// Reads the active slot and its settings record and applies them.
  [[nodiscard]] int ReadActiveSettings();
  /// Resets the keyboard (0x0D) and writes macros and assignments again.
  /// Returns WriteMacros' result in *macro_result; CommandResult::kSuccess
  /// when the reset and the assignments went out.
  [[nodiscard]] int ResetKeyboard(MacroWriteResult* macro_result);

  // Lighting.
  void StartLightWorker();
  WorkerThread::StopOutcome StopLightWorker();
  /// A device key went down (1) or up (2); keys the keyboard lacks are ignored.
  void KeyEvent(unsigned device_key, int press);
  [[nodiscard]] int LoadCustomColours();
  [[nodiscard]] int SaveCustomColours();
  [[nodiscard]] int SaveAllCustomColours();
  [[nodiscard]] int SetCustomSlot(int slot);
  [[nodiscard]] int FillCustomColours(bool on);
  /// The keys take the custom fill colour (the effect's colour); the custom
  /// colours go to the profile and to the keyboard's current custom slot.
  /// Keys outside 0-125 are skipped.
  [[nodiscard]] int PaintCustomKeys(const std::vector<int>& keys);
  [[nodiscard]] static int FindKey(int value);

  // Listeners.
  /// Kind 9 (the receiver's interface) starts the receiver listener, any other
  /// kind the cable listener.
  [[nodiscard]] bool AttachSecondaryInterface(DeviceKind kind, const std::string& path) override;
  void DetachSecondaryInterface(DeviceKind kind) override;
  [[nodiscard]] bool SecondaryInterfaceAttached(DeviceKind kind) const override;
  [[nodiscard]] bool StartListener(DeviceKind listener_kind, const std::string& path);
  WorkerThread::StopOutcome StopListener(DeviceKind listener_kind);
  /// Called from a listener thread whenever work was queued; the owner then
  /// calls ProcessListenerEvents on its own thread.
  void SetListenerNotify(std::function<void()> notify);
  /// Applies queued listener reports; returns them for those who show them.
  std::vector<ListenerEvent> ProcessListenerEvents();
  /// Every event as it arrives (key events included), on the listener thread.
  void SetListenerObserver(std::function<void(const ListenerEvent&)> observer);

  // State for the panels and the CLI.
  [[nodiscard]] CKeyboardProfiledata& Profile() { return profile_; }
  [[nodiscard]] uint8_t ActiveSlot() const { return active_slot_; }
  [[nodiscard]] const KeyboardSettingsRecord& SettingsRecord() const { return settings_record_; }
  [[nodiscard]] const KeyboardOptions& Options() const { return options_; }
  void SetOptions(const KeyboardOptions& options);
  [[nodiscard]] const LightEffect& Effect() const { return effect_; }
  [[nodiscard]] const KeyboardKeyMatcher::KeyMap& DeviceKeyMap() const { return device_key_map_; }
  [[nodiscard]] const KeyboardKeyMatcher::KeyMap& LightPositionMap() const { return light_position_map_; }
  [[nodiscard]] int MatchedKeyCount() const;
  /// Whether UI key `ui_key` is matched to a key of the keyboard, so that
  /// writes reach it.
  [[nodiscard]] bool HasDeviceKey(int ui_key) const;
  /// The UI keys whose current assignment differs from their default but which
  /// have no device key: every key table write leaves them out.
  [[nodiscard]] std::vector<int> KeysLeftOut() const;
  [[nodiscard]] const std::array<uint8_t, 512>& KeyTableCopy() const { return key_table_; }
  [[nodiscard]] const std::vector<KeyListEntry>& Assignments() const { return assignments_; }
  void SetAssignment(int ui_key, const KeyAssignment& assignment);
  [[nodiscard]] const std::vector<LightModeName>& ModeList() const { return names_.modes; }
  [[nodiscard]] const std::vector<std::string>& MacroNames() const { return names_.macro_names; }
  [[nodiscard]] bool ReloadPending() const { return reload_pending_; }
  [[nodiscard]] std::optional<PowerRecord> LastPower() const { return power_; }
  /// The device mode code of a mode index (the index itself without a list).
  [[nodiscard]] uint8_t ModeCode(int mode_index) const;
  /// The mode index of a device code; nullopt when no mode has it.
  [[nodiscard]] std::optional<int> ModeIndexOfCode(uint8_t code) const;

 private:
  /// What the listeners share with the device, by shared pointer.
  struct ListenerInbox {
    std::mutex mutex;
    std::deque<ListenerEvent> events;             ///< guarded by mutex
    std::array<uint8_t, 256> ui_key_of_device{};  ///< guarded by mutex; 255 none
    std::function<void()> notify;                 ///< guarded by mutex
    std::function<void(const ListenerEvent&)> observer;  ///< guarded by mutex
  };

  void HandleListenerEvent(const ListenerEvent& event);
  /// Matches the UI keys to the key table copy, completed by the match
  /// remembered for this model, which is then updated from a complete read.
  void MatchKeys(bool reads_complete);
  void PublishKeyMap();
  void PrepareLighting(int mode);
  [[nodiscard]] std::vector<uint8_t> CustomPage(const std::vector<CustomColor>& colours) const;
  [[nodiscard]] size_t LightPageLength() const;
  [[nodiscard]] std::vector<CustomColor> ZoneCustomColours() const;
  void ShowCustomColours(const std::vector<CustomColor>& colours);

  CKeyboardProfiledata profile_;
  std::string profile_name_;
  EffectClock clock_;
  std::array<uint8_t, 512> key_table_{};
  std::array<uint8_t, 512> key_light_map_{};
  KeyboardSettingsRecord settings_record_;
  uint8_t active_slot_ = 0;
  LightEffect effect_;
  LightEffect previous_effect_;
  KeyboardOptions options_;
  std::vector<KeyListEntry> assignments_;
  DeviceNameLists names_;
  bool reload_pending_ = false;
  std::optional<PowerRecord> power_;
  uint64_t last_sent_generation_ = 0;

  std::shared_ptr<ListenerInbox> inbox_;
  KeyboardListener cable_listener_{"keyboard cable listener"};
  KeyboardListener receiver_listener_{"keyboard receiver listener"};
  WorkerThread light_worker_;
};

}  // namespace zt640
