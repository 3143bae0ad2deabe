#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "devsim/device_packet.h"
#include "devsim/firmware_model.h"
#include "devsim/memory_area.h"
#include "devsim/mouse_factory_image.h"

namespace zt640::devsim {

/// The mouse's memory areas, addressed by the command set.
enum class MouseArea {
  kDeviceInfo,   ///< 0x03 read
  kSettings,     ///< 0x05 read, 0x06 write: one record per slot at slot * 128
  kKeyTable,     ///< 0x07 read, 0x09 write: 3 bytes per device key
  kMacros,       ///< 0x15 write
  kShootData,    ///< 0x17 write, whole 56-byte pieces
  kPowerRecord,  ///< 0x1A read
  kLiveFrame,    ///< 0x12 write: the last frame streamed by the host, 3 bytes per light
};

struct MouseModelConfig {
  MouseVariant variant = MouseVariant::kElevenButtons;
  uint16_t firmware_version = 0x0102;
  uint8_t battery_percent = 85;
  uint8_t charge_state = 0;
};

/// Firmware model of the mouse. Refuses (status 0xFF, nothing changed) a bad
/// checksum, an unknown command (the mouse has no colour pages, key light map,
/// host-lighting switch or factory reset), a length above 56, a range outside
/// its area, a settings access that leaves one slot's record (reads: bytes 0-70,
/// writes: bytes 0-65), a settings write that would leave a value the firmware
/// cannot run (report rate or current stage above 4, a stage flag other than
/// 0/1, a level above the maximum, an active slot it lacks), and a 0x17 piece
/// not at a multiple of 56. A write of the stored configuration (0x06, 0x09,
/// 0x15, 0x17) outside a 0x01/0x02 sequence gets 0xFE and changes nothing.
/// Thread-safe: every member is guarded by mutex_.
class MouseModel : public LockedFirmwareModel {
 public:
  explicit MouseModel(const MouseModelConfig& config = {});


  [[nodiscard]] std::vector<uint8_t> Area(MouseArea area) const;
  [[nodiscard]] std::vector<uint8_t> FactoryArea(MouseArea area) const;
  /// Stores bytes as the firmware itself would (no record checks); false when they do not fit.
  [[nodiscard]] bool WriteArea(MouseArea area, size_t offset, std::span<const uint8_t> data);
  /// The active slot's 71 readable record bytes.
  [[nodiscard]] std::vector<uint8_t> ActiveRecord() const;
  [[nodiscard]] uint8_t ActiveSlot() const;
  [[nodiscard]] uint8_t CurrentStage() const;
  /// Makes slot the active settings slot, as the mouse's profile button does;
  /// false when the mouse has no such slot.
  [[nodiscard]] bool SelectSlot(uint8_t slot);
  /// Makes stage the active slot's current DPI stage, as the DPI button does;
  /// false for a stage beyond the fifth or one switched off.
  [[nodiscard]] bool SelectStage(uint8_t stage);
  void SetPower(uint8_t battery_percent, uint8_t charge_state);

  [[nodiscard]] bool ConfigOpen() const;
  /// Configuration writes refused so far because no 0x01/0x02 sequence was open.
  [[nodiscard]] uint64_t WritesOutsideConfig() const;
  [[nodiscard]] MouseVariant Variant() const { return variant_; }
  [[nodiscard]] size_t KeyCount() const { return MouseFactoryImage::KeyCount(variant_); }

 private:
  [[nodiscard]] DevicePacket Execute(const DevicePacket& request) override;
  [[nodiscard]] bool WriteSettingsLocked(size_t offset, std::span<const uint8_t> data);
  [[nodiscard]] uint8_t ActiveSlotLocked() const;
  [[nodiscard]] MemoryArea& AreaRef(MouseArea area);
  [[nodiscard]] const MemoryArea& AreaRef(MouseArea area) const;

  const MouseVariant variant_;
  std::vector<MemoryArea> areas_;       ///< indexed by MouseArea; guarded by mutex_
  bool config_open_ = false;            ///< guarded by mutex_
  uint64_t writes_outside_config_ = 0;  ///< guarded by mutex_
};

}  // namespace zt640::devsim
