#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/device_name_lists.h"
#include "devices/effect_clock.h"
#include "devices/kalvex_usb_device.h"
#include "devices/report_listener.h"
#include "devices/worker_thread.h"
#include "devices/mouse/dpi_scale.h"
#include "devices/mouse/mouse_button_map.h"
#include "devices/mouse/mouse_report.h"
#include "devices/mouse/mouse_settings_record.h"
#include "profiles/light_name_catalogue.h"
#include "profiles/mouse_profiledata.h"

namespace zt640 {

/// The mouse, wired (kind 2) or through its receiver (kind 6): reads its
/// information, key table and active settings, turns the profile into its
/// settings record, key table, macro area and shoot data area, and keeps the
/// state its panel shows (buttons, DPI stages, report rate, system controls).
///
/// Every device exchange needs an open channel and, through the receiver, a
/// mouse that answers the link query; otherwise nothing is sent. Panel
/// actions change the profile (and save it) whether or not the mouse is there.
///
/// Threads: everything runs on the owner's thread except the lighting worker,
/// which uses only the lighting core and the channel, and the two listeners,
/// which start the reactive lighting on the lighting core (0x0403) and queue
/// every other report they read for ProcessListenerEvents.
class CKalvexMouseDevice : public CKalvexUSBDevice {
 public:
  static constexpr size_t kStageCount = MouseSettingsRecord::kStageCount;
  static constexpr int kReportRates = MouseSettingsRecord::kReportRates;
  /// Mode indices from this one on are written as mode 0's code.
  static constexpr int kModeCodeLimit = 10;
  /// A panel action the rules forbid (switching off the last enabled stage
  /// or the current one): nothing changed, nothing written.
  static constexpr int kActionRefused = -203;
  /// The listeners, named by the kind of the interface each reads.
  static constexpr DeviceKind kListenerCable = DeviceKind::kMouse;
  static constexpr DeviceKind kListenerReceiver = DeviceKind::kMouseReceiver;
  static constexpr std::chrono::milliseconds kWorkerStopWait{1000};

  CKalvexMouseDevice(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink = nullptr,
                     EffectClock clock = EffectClock());
  ~CKalvexMouseDevice() override;

  [[nodiscard]] const char* GetClass() const override { return "KalvexMouseDevice"; }

  void InitializeDevice() override;
  /// Shows every zone on the picture (while it is on screen) and, when the
  /// mouse is on its cable, streams the frame to it unless it is the frame
  /// last sent. Nothing goes through the receiver.
  void SendLightFrame() override;
  void ShowZones(std::span<const ZoneColour> zones) override;
  /// On its cable, in the modes the mouse cannot play itself (the light frames).
  [[nodiscard]] bool StreamsHostFrames() const override;
  /// Reads the tables, loads and shows the profile state, then (re)starts the
  /// lighting worker.
  void ReadDevice() override;
  void RefreshFromDevice() override;
  void ReadPowerStatus() override;
  [[nodiscard]] bool IsReceiverLinkUp() override;
  void LoadProfileState() override;
  void ApplyProfileState() override;
  void DropMissingMacros() override;
  void ApplyProfile() override;
  [[nodiscard]] std::vector<int> GetMacroUsage() override;
  /// Key download of `assignments` (logical button -> entry): 1 when the key
  /// table was written, else 0 (also when not connected or the link is down).
  [[nodiscard]] int WriteKeyAssignments(int layer, std::map<int, KeyListEntry>* assignments) override;
  [[nodiscard]] int WriteCurrentKeyAssignments(int layer) override;
  /// kWritten also for an empty list or a missing library (nothing sent);
  /// kFailed when the link is down or an exchange failed; kTooLong with the
  /// overflow when the macros do not fit (nothing sent).
  [[nodiscard]] MacroWriteResult WriteMacros(const std::vector<int>& macros) override;
  /// WriteSettingsRecord(slot, slot_number, 1, screen width, screen height).
  [[nodiscard]] int WriteSettingsRecord(int slot, int slot_number) override;
  /// Builds the 66-byte record and writes it at slot x 128: 1 when written,
  /// 0 when not connected, the link is down or an exchange failed.
  [[nodiscard]] int WriteSettingsRecord(int slot, uint8_t byte0, uint8_t byte59, uint16_t width, uint16_t height);
  void LoadNameLists() override;
  void SetProfilePaths() override;
  [[nodiscard]] std::string GetProfileName() const override { return profile_name_; }
  [[nodiscard]] bool SaveProfileData() override;
  void SetPageType(int32_t page_type) override;
  void SetLightState(const std::array<uint32_t, 4>& words) override;
  void SetSelectedKey(int32_t index) override;

  /// The profile the device works on: data folder + name + ".Json".
  void SetProfileName(std::string uuid);
  /// The primary screen's size, sent in every settings record.
  void SetScreenSize(uint16_t width, uint16_t height);

  // Reading the mouse.
  /// Information record and key table, then the button map and DPI scale.
  /// CommandResult::kSuccess, or the first failing command's code (kFailed
  /// when not connected, the link is down or the key count does not fit).
  [[nodiscard]] int ReadDeviceTables();
  /// Active slot and its settings record into the light state, current stage
  /// and profile (saved). The first failing command's code, else kSuccess.
  [[nodiscard]] int ReadActiveSettings();

  /// Sends the four guns' recoil patterns (0x17 in fixed 56-byte chunks).
  /// Results as WriteMacros; the table must fit the information record's
  /// capacity (byte 6 x 128).
  [[nodiscard]] MacroWriteResult WriteShootData();

  /// Applies a report the mouse sent: a slot report changes the active slot
  /// (and the stage) when connected and shows the profile state; a press
  /// report from the cable starts the reactive lighting. Returns the decoded
  /// report (nullopt: ignored); kRefresh asks the owner to re-read the
  /// settings (timer 1002).
  std::optional<MouseReport> HandleReport(uint16_t value, bool wired);

  // Lighting.
  void StartLightWorker();
  WorkerThread::StopOutcome StopLightWorker();
  /// The mouse reported a press (0x0403): every zone starts the reactive lighting.
  void StartReactiveLighting();

  // Listeners.
  /// Kind 6 (the receiver's interface) starts the receiver listener, any other
  /// kind the cable listener.
  [[nodiscard]] bool AttachSecondaryInterface(DeviceKind kind, const std::string& path) override;
  void DetachSecondaryInterface(DeviceKind kind) override;
  [[nodiscard]] bool SecondaryInterfaceAttached(DeviceKind kind) const override;
  [[nodiscard]] bool StartListener(DeviceKind listener_kind, const std::string& path);
  WorkerThread::StopOutcome StopListener(DeviceKind listener_kind);
  /// Called from a listener thread whenever a report was queued; the owner
  /// then calls ProcessListenerEvents on its own thread.
  void SetListenerNotify(std::function<void()> notify);
  /// Applies the queued reports (HandleReport) and returns those not ignored:
  /// the owner starts its re-read timer (1002) for kRefresh.
  std::vector<MouseReport> ProcessListenerEvents();

  // Panel actions; each saves the profile and writes the settings record,
  // returning that write's result (kActionRefused: nothing done).
  [[nodiscard]] int SetStageEnabled(int stage, bool enabled);
  /// The current stage becomes `stage`; every stage's X level takes its
  /// slider's level (the list grows to five).
  [[nodiscard]] int SelectStage(int stage);
  /// Stage `stage`'s X level from its slider (limited to the level maximum).
  [[nodiscard]] int SetStageLevel(int stage, int level);
  /// Stage `stage`'s X level from a typed DPI value; refused when the
  /// information record gives no usable scale.
  [[nodiscard]] int SetStageDpi(int stage, int dpi);
  [[nodiscard]] int SetReportRate(int index);
  // System controls: stored in the profile only.
  void SetPointerSpeed(uint16_t value);
  void SetDoubleClick(uint16_t value);
  void SetWheelLines(uint16_t value);
  void SetScrollByPage(bool on, uint16_t wheel_lines);
  void SetPointerPrecision(bool on);
  /// Stores `entry` at the selected button and the key list in the profile.
  void ApplyKeyAssignment(const KeyListEntry& entry);

  // State for the panels and the CLI.
  [[nodiscard]] CMouseProfiledata& Profile() { return profile_; }
  [[nodiscard]] const MouseButtonMap& ButtonMap() const { return button_map_; }
  [[nodiscard]] const std::array<uint8_t, 512>& KeyTableCopy() const { return key_table_; }
  [[nodiscard]] const std::vector<KeyListEntry>& KeyList() const { return key_list_; }
  [[nodiscard]] const std::vector<DpiStage>& Stages() const { return stages_; }
  [[nodiscard]] int CurrentStage() const { return current_stage_; }
  [[nodiscard]] const MouseOptions& Options() const { return options_; }
  /// The report rate index the panel ticks (an index beyond 0-4 shows as 0).
  [[nodiscard]] int ReportRateShown() const;
  [[nodiscard]] const LightEffect& Effect() const { return effect_; }
  [[nodiscard]] DpiScale Scale() const { return DpiScale::FromDeviceInfo(device_info_); }
  /// Stage `stage`'s X level (0 for a stage the list lacks).
  [[nodiscard]] int StageLevel(int stage) const;
  /// The DPI value stage `stage` shows.
  [[nodiscard]] int StageDpi(int stage) const { return Scale().LevelToDpi(StageLevel(stage)); }
  /// Whether stage `stage`'s enable box may be used: not for the current
  /// stage, nor for the only enabled stage.
  [[nodiscard]] bool StageBoxEnabled(int stage) const;
  [[nodiscard]] uint8_t ActiveSlot() const { return active_slot_; }
  [[nodiscard]] const std::optional<MouseSettingsRecord>& LastSettings() const { return settings_record_; }
  [[nodiscard]] const std::vector<LightModeName>& ModeList() const { return names_.modes; }
  [[nodiscard]] const std::vector<std::string>& MacroNames() const { return names_.macro_names; }
  [[nodiscard]] std::optional<PowerRecord> LastPower() const { return power_; }
  /// The device code of a mode index: index 10 or more counts as 0; the
  /// index itself when the mode list has no entry for it.
  [[nodiscard]] uint8_t ModeCode(int mode_index) const;
  [[nodiscard]] std::optional<int> ModeIndexOfCode(uint8_t code) const;
  /// The record the next settings write sends.
  [[nodiscard]] MouseSettingsRecord BuildSettingsRecord(uint8_t byte0, uint8_t byte59, uint16_t width,
                                                        uint16_t height) const;

 private:
  /// Connected, and through the receiver the mouse answers.
  [[nodiscard]] bool LinkUp();
  /// Saves the profile and writes the settings record as every panel action does.
  [[nodiscard]] int SaveAndWriteSettings();
  [[nodiscard]] std::map<int, KeyListEntry> KeyListMap() const;
  /// Matches the buttons to the key table copy, completed by the match
  /// remembered for this model, and remembers the result.
  void MatchButtons(unsigned keys);
  /// Grows the stage list to hold `count` stages.
  void GrowStages(size_t count);
  /// Starts the reactive lighting on `core` (any thread).
  static void StartReactive(LightingCore& core);
  /// Hands the light state and the current mode's light frames to the renderer;
  /// a changed mode starts its effect afresh and wakes an idle worker.
  void ShowLightStateOnRenderer();

  /// What the listeners share with the device, by shared pointer.
  struct ListenerInbox {
    struct Queued {
      uint16_t value = 0;
      bool wired = false;
      bool applied = false;  ///< already acted on by the listener thread
    };
    std::mutex mutex;
    std::deque<Queued> reports;    ///< guarded by mutex
    std::function<void()> notify;  ///< guarded by mutex
  };

  CMouseProfiledata profile_;
  std::string profile_name_;
  std::array<uint8_t, 512> key_table_{};
  MouseButtonMap button_map_;
  std::vector<KeyListEntry> key_list_;
  std::vector<DpiStage> stages_;
  int current_stage_ = 0;
  MouseOptions options_;
  std::vector<CorrectEntry> corrections_;
  LightEffect effect_;
  std::optional<MouseSettingsRecord> settings_record_;
  uint8_t active_slot_ = 0;
  DeviceNameLists names_;
  std::optional<PowerRecord> power_;
  uint16_t screen_width_ = 0;
  uint16_t screen_height_ = 0;

  EffectClock clock_;
  /// The frame last streamed to the mouse; none after a connect or a failure.
  std::optional<std::array<uint8_t, kFrameSize>> last_frame_;
  std::shared_ptr<ListenerInbox> inbox_ = std::make_shared<ListenerInbox>();
  ReportListener cable_listener_{"mouse cable listener"};
  ReportListener receiver_listener_{"mouse receiver listener"};
  WorkerThread light_worker_;
};

}  // namespace zt640
