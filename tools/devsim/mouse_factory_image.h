#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt640::devsim {

/// Which mouse the simulator plays: the full one, or the model without the
/// DPI-cycle button (one key fewer in its key table).
enum class MouseVariant { kElevenButtons, kNoDpiCycle };

/// The memory contents a mouse leaves the factory with and the fixed facts of
/// its layout. All builders are pure.
class MouseFactoryImage {
 public:
  using KeyValue = std::array<uint8_t, 3>;

  static constexpr size_t kLogicalButtons = 11;
  static constexpr size_t kSettingsSlots = 8;
  static constexpr size_t kSlotStride = 128;
  static constexpr size_t kRecordReadSize = 71;   ///< what a read of one slot may cover
  static constexpr size_t kRecordWriteSize = 66;  ///< bytes 66-70 belong to the firmware
  static constexpr size_t kStages = 5;
  static constexpr size_t kStageSize = 9;
  static constexpr uint8_t kMacroCapacityUnits = 24;  ///< 24 * 128 = 3072 bytes
  static constexpr size_t kMacroUnit = 128;
  static constexpr size_t kShootAreaSize = kMacroCapacityUnits * kMacroUnit;
  static constexpr size_t kShootChunk = 56;  ///< 0x17 always moves whole 56-byte pieces
  static constexpr size_t kLightCount = 15;
  static constexpr size_t kLiveFrameSize = 3 * kLightCount;
  static constexpr size_t kDeviceInfoSize = 34;
  static constexpr size_t kPowerRecordSize = 6;
  static constexpr uint16_t kSensor = 0x3325;
  static constexpr uint8_t kDpiStep = 100;
  static constexpr uint16_t kLevelMaximum = 73;  ///< 4800 + 25 * 200 + 200 = 10 000 DPI
  static constexpr uint16_t kDpiBase = 200;
  static constexpr uint8_t kReportRates = 5;

  /// Settings record offsets the firmware interprets.
  static constexpr size_t kRecordSlot = 0;
  static constexpr size_t kRecordReportRate = 11;
  static constexpr size_t kRecordCurrentStage = 12;
  static constexpr size_t kRecordStages = 14;
  static constexpr size_t kRecordFirmwareVersion = 66;
  static constexpr size_t kRecordSlotCount = 68;

  /// Factory value of logical button j (left, right, middle, forward, back, DPI up,
  /// DPI down, DPI cycle, GM key, DPI shift, fire key).
  [[nodiscard]] static const std::array<KeyValue, kLogicalButtons>& LogicalValues();
  /// The logical button at each device key position, in device order.
  [[nodiscard]] static std::span<const uint8_t> DeviceOrder(MouseVariant variant);
  [[nodiscard]] static size_t KeyCount(MouseVariant variant) {
    return DeviceOrder(variant).size();
  }

  /// Device information record: 0 device class (2 mouse), 1-2 firmware version,
  /// 3 key layers (1), 4 settings slots, 5 key count, 6 macro capacity (128-byte
  /// units), 7-8 light count, 9-10 sensor, 11 DPI step, 12-13 level maximum,
  /// 14-15 DPI base, 16-33 zero.
  [[nodiscard]] static std::vector<uint8_t> DeviceInfo(MouseVariant variant,
                                                       uint16_t firmware_version);
  /// kSettingsSlots records of kSlotStride bytes; byte 0 of slot 0 is the active slot.
  [[nodiscard]] static std::vector<uint8_t> Settings(uint16_t firmware_version);
  [[nodiscard]] static std::vector<uint8_t> KeyTable(MouseVariant variant);
  [[nodiscard]] static std::vector<uint8_t> PowerRecord(uint8_t battery_percent,
                                                        uint8_t charge_state);
};

}  // namespace zt640::devsim
