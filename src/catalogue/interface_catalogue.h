#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/interface_slot.h"

namespace zt640 {

/// One device type: the skins that build its selector entry, page and power
/// widget, the properties its device object starts with, and the identity key
/// (vendor id, product id, kind, variant) it is found by.
struct DeviceTypeRow {
  std::string_view entry_skin;
  std::string_view selector_group;
  std::string_view power_container;
  std::string_view kind_name;
  int32_t page_type = 0;
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  DeviceKind kind = DeviceKind::kNone;
  uint16_t variant = 0;
  int32_t light_count = 0;
  int32_t key_count = 0;
  bool wireless = false;
  std::string_view page_skin;
  std::string_view light_file_prefix;
};

/// The interfaces and device types this program knows. The built-in tables
/// are the defaults; rows 2 to 10 may be given real ids (see `DevicesJson`),
/// which also re-keys the device type that a changed row's cable interface
/// identifies.
class InterfaceCatalogue {
 public:
  static constexpr std::size_t kInterfaceRows = 11;
  static constexpr std::size_t kDeviceTypes = 4;
  /// Device type indices (row order of the type table).
  static constexpr int kMouseType = 0;
  static constexpr int kKeyboardType = 1;
  static constexpr int kMousePadType = 2;
  static constexpr int kHeadsetType = 3;
  /// Rows of the interface table whose ids may be replaced.
  static constexpr std::size_t kFirstConfigurableRow = 2;
  /// The ids of the keyboard's cable interfaces (rows 0 and 1), the only ids
  /// the built-in table knows for real.
  static constexpr uint16_t kKeyboardVendorId = 0x320F;
  static constexpr uint16_t kKeyboardProductId = 0x505B;

  /// The built-in tables.
  InterfaceCatalogue();

  [[nodiscard]] const std::array<InterfaceSlot, kInterfaceRows>& Rows() const { return rows_; }
  [[nodiscard]] const std::array<DeviceTypeRow, kDeviceTypes>& Types() const { return types_; }

  /// Gives row `row` new ids; false (nothing changed) for a row below 2 or
  /// beyond the table. The device type keyed by the row's old ids and kind
  /// takes the new ids too, so the cable row and its type stay paired.
  [[nodiscard]] bool SetRowIds(std::size_t row, uint16_t vendor_id, uint16_t product_id);

  /// First device type whose identity key matches all four exactly, or -1.
  [[nodiscard]] int FindDeviceType(uint16_t vendor_id, uint16_t product_id, DeviceKind kind,
                                   uint16_t variant) const;

  /// The first interface row of `kind` with `role`, or null.
  [[nodiscard]] const InterfaceSlot* FindRow(DeviceKind kind, uint16_t role) const;

 private:
  std::array<InterfaceSlot, kInterfaceRows> rows_;
  std::array<DeviceTypeRow, kDeviceTypes> types_;
};

}  // namespace zt640
