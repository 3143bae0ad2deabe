#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt640::devsim {

/// The memory contents a keyboard leaves the factory with, and the fixed facts
/// of its layout (key count, slots, capacities). All builders are pure.
class KeyboardFactoryImage {
 public:
  using KeyValue = std::array<uint8_t, 3>;

  /// Device keys: every key of the panel's 126 keys plus six keys the panel
  /// does not show (F13-F18), 3 * 132 = 396 bytes of key table.
  static constexpr size_t kKeyCount = 132;
  static constexpr size_t kPanelKeyCount = 126;
  static constexpr size_t kSettingsSlots = 4;
  static constexpr size_t kSettingsRecordSize = 29;
  static constexpr size_t kColourSlots = 3;
  static constexpr size_t kColourPageSize = 512;
  static constexpr uint8_t kMacroCapacityUnits = 16;  ///< 16 * 128 = 2048 bytes
  static constexpr size_t kMacroUnit = 128;
  static constexpr size_t kShootAreaSize = 2048;
  static constexpr size_t kLiveFrameSize = 512;
  static constexpr size_t kDeviceInfoSize = 34;
  static constexpr size_t kPowerRecordSize = 6;
  static constexpr size_t kLightPositions = 170;  ///< light positions are below this

  /// Factory value of each panel key, in panel order 0..125.
  [[nodiscard]] static const std::array<KeyValue, kPanelKeyCount>& PanelFactoryValues();
  /// The panel key whose value sits at device key k, or -1 for a device-only key.
  [[nodiscard]] static int PanelKeyOfDeviceKey(size_t device_key);

  /// Device information record: byte 0 device class (1 keyboard), 1-2 firmware
  /// version (LE), 3 key layers (1), 4 settings slots, 5 key count, 6 macro
  /// capacity in 128-byte units, 7-8 light count (LE), 9-15 sensor/DPI fields
  /// (0: no sensor), 16 custom colour slots, 17-33 zero.
  [[nodiscard]] static std::vector<uint8_t> DeviceInfo(uint16_t firmware_version);
  /// Byte 0 active slot, then one 29-byte record per slot at slot * 29.
  [[nodiscard]] static std::vector<uint8_t> Settings();
  [[nodiscard]] static std::vector<uint8_t> KeyTable();
  /// Light position of each device key: the panel keys fill positions 0..125 (all of
  /// a 378-byte frame), the device-only keys 126..131.
  [[nodiscard]] static std::vector<uint8_t> KeyLightMap();
  [[nodiscard]] static std::vector<uint8_t> ColourPages();
  [[nodiscard]] static std::vector<uint8_t> PowerRecord(uint8_t battery_percent,
                                                        uint8_t charge_state);
};

}  // namespace zt640::devsim
