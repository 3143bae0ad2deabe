#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "devsim/device_packet.h"
#include "devsim/firmware_model.h"
#include "devsim/memory_area.h"

namespace zt640::devsim {

/// The keyboard's memory areas, addressed by the command set.
enum class KeyboardArea {
  kDeviceInfo,   ///< 0x03 read
  kSettings,     ///< 0x05 read, 0x06 write
  kKeyTable,     ///< 0x07 read, 0x09 write (layer 0 only: offsets beyond 3N are refused)
  kKeyLightMap,  ///< 0x1B read
  kColourPages,  ///< 0x0A read, 0x0B write
  kMacros,       ///< 0x15 write
  kShootData,    ///< 0x17 write
  kPowerRecord,  ///< 0x1A read
  kLiveFrame,    ///< 0x12 write: the last frame streamed by the host
};

struct KeyboardModelConfig {
  uint16_t firmware_version = 0x0103;
  uint8_t battery_percent = 85;
  uint8_t charge_state = 0;
};

/// Firmware model of the keyboard: answers each 64-byte command report with the
/// reply a keyboard gives and keeps everything written for the life of the
/// object. Thread-safe: every member is guarded by mutex_.
class KeyboardModel : public LockedFirmwareModel {
 public:
  explicit KeyboardModel(const KeyboardModelConfig& config = {});

  /// The reply to one request; nullopt when the report is not a command report
  /// (report id other than 0x04). A request the firmware refuses (bad checksum,
  /// unknown command, length above 56, range outside its area) gets status 0xFF
  /// and changes nothing. A write of the stored configuration (0x06, 0x09, 0x15,
  /// 0x17) outside a 0x01/0x02 sequence gets status 0xFE and changes nothing.

  [[nodiscard]] std::vector<uint8_t> Area(KeyboardArea area) const;
  [[nodiscard]] std::vector<uint8_t> FactoryArea(KeyboardArea area) const;
  /// Stores bytes as a host write would; false when they do not fit.
  [[nodiscard]] bool WriteArea(KeyboardArea area, size_t offset, std::span<const uint8_t> data);
  /// Makes slot the active settings slot (settings byte 0); false when the
  /// keyboard has no such slot.
  [[nodiscard]] bool SelectSlot(uint8_t slot);
  void SetPower(uint8_t battery_percent, uint8_t charge_state);
  /// What 0x0D does: every area but the power record back to factory contents, config
  /// sequence closed, lighting back under the keyboard's control.
  void ResetToFactory();

  [[nodiscard]] bool ConfigOpen() const;
  /// Configuration writes refused so far because no 0x01/0x02 sequence was open.
  [[nodiscard]] uint64_t WritesOutsideConfig() const;
  /// What the key shows of the last streamed frame: the three bytes at 3p of the
  /// live frame, p its position in the key light map; black for a key the
  /// keyboard lacks or a position beyond the frame.
  [[nodiscard]] std::array<uint8_t, 3> LiveColourOfKey(size_t device_key) const;
  [[nodiscard]] bool HostLightingEnabled() const;
  [[nodiscard]] uint8_t KeyCount() const;

 private:
  [[nodiscard]] DevicePacket Execute(const DevicePacket& request) override;
  void ResetLocked();
  [[nodiscard]] MemoryArea& AreaRef(KeyboardArea area);
  [[nodiscard]] const MemoryArea& AreaRef(KeyboardArea area) const;

  std::vector<MemoryArea> areas_;  ///< indexed by KeyboardArea; guarded by mutex_
  bool config_open_ = false;       ///< guarded by mutex_
  bool host_lighting_ = false;     ///< guarded by mutex_
  uint64_t writes_outside_config_ = 0;  ///< guarded by mutex_
};

}  // namespace zt640::devsim
