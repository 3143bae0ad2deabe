#pragma once

#include <cstdint>

// Capability records of one top-level collection, shaped like the Windows HID
// parser's records so that code written against that model reads the same.
namespace zt640::platform {

enum class HidReportType : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr int kHidReportTypeCount = 3;

[[nodiscard]] constexpr int ReportTypeIndex(HidReportType type) { return static_cast<int>(type); }

/// Status codes of the HID parser operations (the platform's NTSTATUS values).
using HidStatus = uint32_t;
inline constexpr HidStatus HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr HidStatus HIDP_STATUS_INVALID_PREPARSED_DATA = 0xC0110001;
inline constexpr HidStatus HIDP_STATUS_INVALID_REPORT_TYPE = 0xC0110002;
inline constexpr HidStatus HIDP_STATUS_INVALID_REPORT_LENGTH = 0xC0110003;
inline constexpr HidStatus HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004;
inline constexpr HidStatus HIDP_STATUS_VALUE_OUT_OF_RANGE = 0xC0110005;
inline constexpr HidStatus HIDP_STATUS_BAD_LOG_PHY_VALUES = 0xC0110006;
inline constexpr HidStatus HIDP_STATUS_BUFFER_TOO_SMALL = 0xC0110007;
inline constexpr HidStatus HIDP_STATUS_INCOMPATIBLE_REPORT_ID = 0xC011000A;

/// Main item flag bits (the "bit field" of a capability).
inline constexpr uint16_t kMainItemConstant = 0x01;
inline constexpr uint16_t kMainItemVariable = 0x02;
inline constexpr uint16_t kMainItemRelative = 0x04;
inline constexpr uint16_t kMainItemNullState = 0x40;

/// Top-level collection summary. Report byte lengths include the report-id byte.
struct HIDP_CAPS {
  uint16_t usage = 0;
  uint16_t usage_page = 0;
  uint16_t input_report_byte_length = 0;
  uint16_t output_report_byte_length = 0;
  uint16_t feature_report_byte_length = 0;
  uint16_t number_link_collection_nodes = 0;
  uint16_t number_input_button_caps = 0;
  uint16_t number_input_value_caps = 0;
  uint16_t number_input_data_indices = 0;
  uint16_t number_output_button_caps = 0;
  uint16_t number_output_value_caps = 0;
  uint16_t number_output_data_indices = 0;
  uint16_t number_feature_button_caps = 0;
  uint16_t number_feature_value_caps = 0;
  uint16_t number_feature_data_indices = 0;
};

/// One button or value capability. When is_range is false usage_min ==
/// usage_max is the single usage and data_index_min == data_index_max.
/// bit_position and array_index_offset are the decoder's own fields: the first
/// bit of the field counted from byte 1 of the report (byte 0 is the id), and
/// for array items the index of this capability's first usage within the
/// item's usage list.
struct HidpFieldCaps {
  uint16_t usage_page = 0;
  uint8_t report_id = 0;
  bool is_alias = false;
  uint16_t bit_field = 0;
  uint16_t link_collection = 0;
  uint16_t link_usage = 0;
  uint16_t link_usage_page = 0;
  bool is_range = false;
  bool is_absolute = true;
  bool has_null = false;
  uint16_t bit_size = 0;
  uint16_t report_count = 0;
  uint32_t units_exp = 0;
  uint32_t units = 0;
  int32_t logical_min = 0;
  int32_t logical_max = 0;
  int32_t physical_min = 0;
  int32_t physical_max = 0;
  uint16_t usage_min = 0;
  uint16_t usage_max = 0;
  uint16_t data_index_min = 0;
  uint16_t data_index_max = 0;
  uint32_t bit_position = 0;
  uint32_t array_index_offset = 0;

  [[nodiscard]] bool IsArray() const { return (bit_field & kMainItemVariable) == 0; }
};
using HIDP_BUTTON_CAPS = HidpFieldCaps;
using HIDP_VALUE_CAPS = HidpFieldCaps;

/// One collection inside a top-level collection; node 0 is the top-level one.
/// Children are linked in descriptor order (first_child, then next_sibling);
/// 0 ends a chain except for parent, where node 0 is its own parent.
struct HIDP_LINK_COLLECTION_NODE {
  uint16_t link_usage = 0;
  uint16_t link_usage_page = 0;
  uint16_t parent = 0;
  uint16_t number_of_children = 0;
  uint16_t next_sibling = 0;
  uint16_t first_child = 0;
  uint8_t collection_type = 0;
  bool is_alias = false;
};

/// Identity of an interface; version_number is the USB bcdDevice (0 without a USB parent).
struct HIDD_ATTRIBUTES {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t version_number = 0;
};

}  // namespace zt640::platform
