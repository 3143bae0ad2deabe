#include "catalogue/interface_catalogue.h"

namespace zt640 {

bool SlotKeysEqual(const InterfaceSlot& a, const InterfaceSlot& b) {
  return a.vendor_id == b.vendor_id && a.product_id == b.product_id &&
         a.interface_number == b.interface_number && a.collection_number == b.collection_number &&
         a.kind == b.kind && a.role == b.role && a.usage_page == b.usage_page && a.usage == b.usage;
}

namespace {
using enum DeviceKind;

constexpr InterfaceSlot Row(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, DeviceKind kind,
                            uint16_t role, uint16_t page, uint16_t usage, uint16_t has_partner,
                            uint16_t partner) {
  InterfaceSlot slot;
  slot.vendor_id = vid;
  slot.product_id = pid;
  slot.interface_number = mi;
  slot.collection_number = col;
  slot.kind = kind;
  slot.role = role;
  slot.usage_page = page;
  slot.usage = usage;
  slot.has_partner = has_partner;
  slot.partner = partner;
  return slot;
}

constexpr std::string_view kEntrySkin = "DeviceOption.ui";
constexpr std::string_view kSelectorGroup = "tab_header_device";
constexpr std::string_view kPowerContainer = "device_power_switch";
constexpr std::string_view kLightPrefix = "vornik_light";
}  // namespace

InterfaceCatalogue::InterfaceCatalogue()
    : rows_{{
          Row(kKeyboardVendorId, kKeyboardProductId, 1, 4, kKeyboard, kRoleCommand, 0xFF1C, 0x92, 1, 2),
          Row(kKeyboardVendorId, kKeyboardProductId, 1, 3, kKeyboard, kRoleSecondary, 0x000C, 0x01, 1, 3),
          Row(0x0000, 0x0000, 1, 4, kKeyboardReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 0),
          Row(0x0000, 0x0000, 1, 3, kKeyboardReceiver, kRoleSecondary, 0x000C, 0x01, 1, 1),
          Row(0x0000, 0x221C, 1, 4, kMouse, kRoleCommand, 0xFF1C, 0x92, 1, 6),
          Row(0x0000, 0x221C, 1, 3, kMouse, kRoleSecondary, 0x000C, 0x01, 1, 7),
          Row(0x0000, 0x221D, 1, 4, kMouseReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 4),
          Row(0x0000, 0x221D, 1, 3, kMouseReceiver, kRoleSecondary, 0x000C, 0x01, 1, 5),
          Row(0x0000, 0x1004, 1, 4, kMousePad, kRoleCommand, 0xFF1C, 0x92, 0, 0),
          Row(0x0000, 0x1004, 1, 3, kMousePad, kRoleSecondary, 0x000C, 0x01, 0, 0),
          Row(0x0000, 0x1630, 3, 0, kHeadset, kRoleCommand, 0x000C, 0x01, 0, 0),
      }},
      types_{{
          {kEntrySkin, kSelectorGroup, kPowerContainer, "mouse", 1, 0x0000, 0x221C, kMouse, 0, 15, 11, true,
           "mousedevice.ui", kLightPrefix},
          {kEntrySkin, kSelectorGroup, kPowerContainer, "keyboard", 0, kKeyboardVendorId, kKeyboardProductId,
           kKeyboard, 0, 170, 170, true, "keyboarddevice.ui", kLightPrefix},
          {kEntrySkin, kSelectorGroup, kPowerContainer, "MousePad", 2, 0x0000, 0x1004, kMousePad, 0, 15, 0, false,
           "mousepaddevice.ui", kLightPrefix},
          {kEntrySkin, kSelectorGroup, kPowerContainer, "HD", 3, 0x0000, 0x1630, kHeadset, 0, 13, 0, false,
           "hs6533device.ui", kLightPrefix},
      }} {}

bool InterfaceCatalogue::SetRowIds(std::size_t row, uint16_t vendor_id, uint16_t product_id) {
  if (row < kFirstConfigurableRow || row >= kInterfaceRows) return false;
  InterfaceSlot& slot = rows_[row];
  for (DeviceTypeRow& type : types_) {
    if (type.vendor_id == slot.vendor_id && type.product_id == slot.product_id && type.kind == slot.kind) {
      type.vendor_id = vendor_id;
      type.product_id = product_id;
    }
  }
  slot.vendor_id = vendor_id;
  slot.product_id = product_id;
  return true;
}

int InterfaceCatalogue::FindDeviceType(uint16_t vendor_id, uint16_t product_id, DeviceKind kind,
                                       uint16_t variant) const {
  for (std::size_t i = 0; i < types_.size(); ++i) {
    const DeviceTypeRow& type = types_[i];
    if (type.vendor_id == vendor_id && type.product_id == product_id && type.kind == kind &&
        type.variant == variant) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

const InterfaceSlot* InterfaceCatalogue::FindRow(DeviceKind kind, uint16_t role) const {
  for (const InterfaceSlot& row : rows_) {
    if (row.kind == kind && row.role == role) return &row;
  }
  return nullptr;
}

}  // namespace zt640
