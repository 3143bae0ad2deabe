#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/kalvex_usb_device.h"
#include "devices/lighting_settings_record.h"
#include "devices/report_listener.h"
#include "devices/worker_thread.h"
#include "devices/zone_effect_renderer.h"
#include "profiles/basic_profiledata.h"
#include "profiles/light_name_catalogue.h"
#include "transport/power_record.h"

namespace zt640 {

/// What the mouse pad and the headset share: a device whose lights the host
/// renders zone by zone, with the 21-byte lighting settings record, the
/// shared lighting worker and preview renderers, the re-read listener, the
/// power read, and the profile operations both do alike. Each kind adds its
/// own panel state, profile state and frame sending.
///
/// Threads: as the base. The lighting worker uses only the lighting core and
/// the channel; the listener only queues re-read requests for
/// ProcessListenerEvents, which the owner runs on its own thread.
class CKalvexLightingDevice : public CKalvexUSBDevice {
 public:
  /// The report that asks for the settings record to be read again; the owner
  /// starts its re-read timer (1002) with kRefreshDelayMs.
  static constexpr uint16_t kRefreshReport = 0x0401;
  static constexpr int kRefreshDelayMs = 500;
  static constexpr std::chrono::milliseconds kWorkerStopWait{1000};
  /// The macro library file of these kinds.
  static constexpr char kMacroFileName[] = "vornik_macro.config";
  /// The line the lighting worker writes when it ends.
  static constexpr char kWorkerExitLine[] = "MS灯光线程设定退出";

  /// `type_index` is the catalogue's device type the object starts with;
  /// `profile` its profile data object (the headset's own class, or the
  /// common one for the pad).
  CKalvexLightingDevice(ProfileFolders folders, std::string folder_name, int type_index,
                        std::unique_ptr<CBasicProfiledata> profile, DevicePanelSink* sink,
                        std::unique_ptr<ZoneEffectRenderer> renderer);
  ~CKalvexLightingDevice() override;

  /// Light state from the profile into the object and record bytes 1-8; the
  /// light list into the renderer.
  void InitializeDevice() override;
  /// Re-reads the settings record (see ReadSettingsRecord) and shows it.
  void RefreshFromDevice() override;
  /// Power record (0x1A, 6 bytes); byte 3 says whether it came through a receiver.
  void ReadPowerStatus() override;
  /// Reloads the profile state, InitializeDevice, saves, shows the state.
  void ApplyProfile() override;
  /// Writes the record at `slot` x 64 with the mode code and 4 - speed:
  /// kSuccess, else the first failing command's code (kFailed when closed).
  [[nodiscard]] int WriteSettingsRecord(int slot, int slot_number) override;
  /// Macro names from "vornik_macro.config"; mode names and codes from
  /// "default_light.json"; custom lighting names from the light configuration.
  void LoadNameLists() override;
  void SetProfilePaths() override;
  [[nodiscard]] std::string GetProfileName() const override { return profile_name_; }
  [[nodiscard]] bool SaveProfileData() override;
  void SetPageType(int32_t page_type) override;
  /// Keeps the low 16 bits of the fourth word, hands the state to the profile,
  /// and wakes the lighting worker.
  void SetLightState(const std::array<uint32_t, 4>& words) override;

  /// The profile the device works on: data folder + name + ".Json".
  void SetProfileName(std::string uuid);

  /// Reads the record: active slot, then the slot's record. On success the
  /// record (mode index, speed level) and the light state follow it.
  [[nodiscard]] int ReadSettingsRecord();
  /// The record a write at the current state sends (device form).
  [[nodiscard]] LightingSettingsRecord DeviceRecord() const;
  /// The device code of a mode index: an index above 8 counts as 0; the
  /// index itself when the mode list has no entry for it.
  [[nodiscard]] uint8_t ModeCode(int mode_index) const;
  [[nodiscard]] std::optional<int> ModeIndexOfCode(uint8_t code) const;

  void StartLightWorker();
  WorkerThread::StopOutcome StopLightWorker();
  /// Rendered passes so far (tests wait on it).
  [[nodiscard]] uint64_t RenderedPasses() const;
  /// Starts every zone of the reactive effect.
  void StartReactive();

  /// The listener on the device's interface at `path` (any kind).
  [[nodiscard]] bool AttachSecondaryInterface(DeviceKind kind, const std::string& path) override;
  void DetachSecondaryInterface(DeviceKind kind) override;
  [[nodiscard]] bool SecondaryInterfaceAttached(DeviceKind kind) const override;
  /// Called from the listener thread whenever a re-read request was queued.
  void SetListenerNotify(std::function<void()> notify);
  /// True when a re-read was requested since the last call.
  [[nodiscard]] bool ProcessListenerEvents();

  [[nodiscard]] const LightingSettingsRecord& Record() const { return record_; }
  [[nodiscard]] uint8_t ActiveSlot() const { return active_slot_; }
  [[nodiscard]] const LightEffect& Effect() const { return effect_; }
  [[nodiscard]] std::optional<PowerRecord> LastPower() const { return power_; }
  [[nodiscard]] const std::vector<LightModeName>& ModeList() const { return modes_; }
  [[nodiscard]] const std::vector<std::string>& MacroNames() const { return macro_names_; }
  [[nodiscard]] const std::vector<std::string>& CustomLightNames() const { return custom_light_names_; }
  /// The profile data the device works on (its page's panels edit it).
  [[nodiscard]] CBasicProfiledata& ProfileData() { return *profile_; }

 protected:
  [[nodiscard]] CBasicProfiledata& BasicProfile() { return *profile_; }
  /// Loads the profile file the paths name (the defaults when unreadable).
  void LoadProfileFile();
  /// Runs f on the renderer under the lighting lock.
  template <typename F>
  auto WithRenderer(F&& f) const {
    auto core = Core();
    std::lock_guard lock(core->mutex);
    return f(static_cast<ZoneEffectRenderer&>(*core->renderer));
  }
  /// The zones and the generation they were rendered at, in one snapshot.
  [[nodiscard]] std::pair<std::vector<ZoneColour>, uint64_t> FrameSnapshot() const;

  LightEffect effect_;
  LightingSettingsRecord record_;

 private:
  struct ListenerInbox {
    std::mutex mutex;
    bool refresh = false;          ///< guarded by mutex
    std::function<void()> notify;  ///< guarded by mutex
  };

  std::unique_ptr<CBasicProfiledata> profile_;
  std::string profile_name_;
  uint8_t active_slot_ = 0;
  std::vector<LightModeName> modes_;
  std::vector<std::string> custom_light_names_;
  std::vector<std::string> macro_names_;
  std::optional<PowerRecord> power_;
  WorkerThread light_worker_;
  std::shared_ptr<ListenerInbox> inbox_ = std::make_shared<ListenerInbox>();
  ReportListener listener_{"lighting device listener"};
};

}  // namespace zt640
