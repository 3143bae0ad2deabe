#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "devsim/device_packet.h"
#include "devsim/firmware_model.h"
#include "devsim/memory_area.h"

namespace zt640::devsim {

/// The memory areas of the mouse pad and the headset.
enum class LightingArea {
  kDeviceInfo,   ///< 0x03 read
  kSettings,     ///< 0x05 read anywhere, 0x06 write: one 21-byte record per slot at slot * 64
  kPowerRecord,  ///< 0x1A read
  kLiveFrame,    ///< 0x12 write (the pad only): the last frame streamed, 3 bytes per zone
};

struct LightingModelConfig {
  uint8_t zones = 15;
  uint16_t firmware_version = 0x0101;
  bool streams_frames = true;  ///< takes 0x12 light frames (the pad); the headset does not
  bool takes_output_reports = false;  ///< takes 17-byte light output reports (the headset)
  uint8_t battery_percent = 85;
  uint8_t charge_state = 0;
};

/// Firmware model of the devices whose lights the host drives zone by zone:
/// the mouse pad and the headset. Settings slot s's record lies at s * 64;
/// byte 0 of the area is the active slot. Refuses (status 0xFF, nothing
/// changed) a bad checksum, an unknown command, a length above 56, a range
/// outside its area, a settings write not at a slot's start or longer than
/// the 21-byte record, and a record it cannot run (active slot beyond its 4
/// slots, brightness or inverted speed above 4, a multicolour flag other than
/// 0/1). A settings write outside a 0x01/0x02 sequence gets 0xFE and changes
/// nothing. The headset's light output reports (id 0xFF, exactly 17 bytes)
/// are logged; others are counted as refused.
/// Thread-safe: every member is guarded by mutex_.
class LightingDeviceModel : public LockedFirmwareModel {
 public:
  static constexpr size_t kSlots = 4;
  static constexpr size_t kSlotStride = 64;
  static constexpr size_t kRecordSize = 21;
  static constexpr size_t kOutputReportSize = 17;
  static constexpr uint8_t kOutputReportId = 0xFF;
  /// Output reports kept; older ones are dropped first.
  static constexpr size_t kOutputLogLimit = 4096;
  using OutputReport = std::array<uint8_t, kOutputReportSize>;

  explicit LightingDeviceModel(const LightingModelConfig& config = {});

  /// One output report as received on the interface; false when refused.
  bool ReceiveOutputReport(std::span<const uint8_t> bytes);

  [[nodiscard]] std::vector<uint8_t> Area(LightingArea area) const;
  /// Stores bytes as the firmware itself would (no record checks).
  [[nodiscard]] bool WriteArea(LightingArea area, size_t offset, std::span<const uint8_t> data);
  /// The record of slot `slot` (21 bytes).
  [[nodiscard]] std::vector<uint8_t> Record(size_t slot) const;
  [[nodiscard]] bool ConfigOpen() const;
  [[nodiscard]] uint64_t WritesOutsideConfig() const;
  /// The output reports received so far, oldest first.
  [[nodiscard]] std::vector<OutputReport> OutputReports() const;
  [[nodiscard]] uint64_t OutputReportCount() const;
  [[nodiscard]] uint64_t RefusedOutputReports() const;

 private:
  [[nodiscard]] DevicePacket Execute(const DevicePacket& request) override;
  [[nodiscard]] bool WriteSettingsLocked(size_t offset, std::span<const uint8_t> data);
  [[nodiscard]] MemoryArea& AreaRef(LightingArea area) { return areas_[static_cast<size_t>(area)]; }
  [[nodiscard]] const MemoryArea& AreaRef(LightingArea area) const { return areas_[static_cast<size_t>(area)]; }

  const LightingModelConfig config_;
  std::vector<MemoryArea> areas_;       ///< indexed by LightingArea; guarded by mutex_
  bool config_open_ = false;            ///< guarded by mutex_
  uint64_t writes_outside_config_ = 0;  ///< guarded by mutex_
  std::deque<OutputReport> output_log_;  ///< guarded by mutex_
  uint64_t output_count_ = 0;            ///< guarded by mutex_
  uint64_t output_refused_ = 0;          ///< guarded by mutex_
};

}  // namespace zt640::devsim
