#include "platform/hid/hid_report_decoder.h"

namespace zt640::platform {

namespace {

// Checks the report against the collection; SUCCESS when it may be decoded.
HidStatus CheckReport(const HidCollection& collection, HidReportType type,
                      std::span<const uint8_t> report) {
  const uint16_t length = collection.ReportByteLength(type);
  if (length == 0 || report.size() != length) return HIDP_STATUS_INVALID_REPORT_LENGTH;
  return HIDP_STATUS_SUCCESS;
}

int64_t SignExtend(uint32_t raw, uint32_t bit_count) {
  if (bit_count == 0) return 0;
  if (bit_count >= 32) return static_cast<int32_t>(raw);
  const uint32_t sign = 1u << (bit_count - 1);
  return static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign);
}

// A field's value as the logical range reads it: signed when the minimum is negative.
int64_t LogicalValue(const HidpFieldCaps& cap, uint32_t raw) {
  if (cap.logical_min < 0) return SignExtend(raw, cap.bit_size);
  return raw;
}

// Finds the value capability of page/usage with the report's id. Sets
// *field to the field index of the usage within the capability.
HidStatus FindValue(const HidCollection& collection, HidReportType type, uint16_t usage_page,
                    uint16_t usage, uint8_t report_id, const HIDP_VALUE_CAPS** found,
                    uint32_t* field) {
  bool other_id = false;
  for (const HIDP_VALUE_CAPS& cap : collection.value_caps[ReportTypeIndex(type)]) {
    if (cap.usage_page != usage_page || usage < cap.usage_min || usage > cap.usage_max) continue;
    const uint32_t index = cap.is_range ? uint32_t{usage} - cap.usage_min : 0;
    if (index >= cap.report_count) continue;
    if (cap.report_id != report_id) {
      other_id = true;
      continue;
    }
    *found = &cap;
    *field = index;
    return HIDP_STATUS_SUCCESS;
  }
  return other_id ? HIDP_STATUS_INCOMPATIBLE_REPORT_ID : HIDP_STATUS_USAGE_NOT_FOUND;
}

}  // namespace

uint32_t HidReportDecoder::ReadBits(std::span<const uint8_t> report, uint64_t bit_position,
                                   uint32_t bit_count) {
  if (bit_count > 32) bit_count = 32;
  uint32_t value = 0;
  for (uint32_t i = 0; i < bit_count; ++i) {
    const uint64_t bit = bit_position + i;
    const uint64_t byte = 1 + bit / 8;
    if (byte >= report.size()) break;
    if ((report[byte] >> (bit % 8)) & 1u) value |= 1u << i;
  }
  return value;
}

std::optional<uint16_t> HidReportDecoder::ArrayUsage(const HIDP_BUTTON_CAPS& cap,
                                                     int64_t field_value) {
  if (field_value < cap.logical_min || field_value > cap.logical_max) return std::nullopt;
  const int64_t index = field_value - cap.logical_min - int64_t{cap.array_index_offset};
  if (index < 0 || index > int64_t{cap.usage_max} - cap.usage_min) return std::nullopt;
  return static_cast<uint16_t>(cap.usage_min + index);
}

HidStatus HidReportDecoder::GetUsages(const HidCollection& collection, HidReportType type,
                                      uint16_t usage_page, std::span<const uint8_t> report,
                                      std::span<uint16_t> usages, uint32_t* count) {
  *count = 0;
  if (const HidStatus status = CheckReport(collection, type, report);
      status != HIDP_STATUS_SUCCESS) {
    return status;
  }
  const uint8_t report_id = report[0];
  bool page_found = false;
  bool id_found = false;
  for (const HIDP_BUTTON_CAPS& cap : collection.button_caps[ReportTypeIndex(type)]) {
    if (cap.usage_page != usage_page) continue;
    page_found = true;
    if (cap.report_id != report_id) continue;
    id_found = true;
    for (uint32_t field = 0; field < cap.report_count; ++field) {
      const uint32_t raw =
          ReadBits(report, cap.bit_position + uint64_t{field} * cap.bit_size, cap.bit_size);
      std::optional<uint16_t> usage;
      if (cap.IsArray()) {
        usage = ArrayUsage(cap, LogicalValue(cap, raw));
      } else if (raw != 0) {
        // A range gives one usage per field; a single usage repeats over its fields.
        const uint32_t candidate = cap.is_range ? uint32_t{cap.usage_min} + field : cap.usage_min;
        if (candidate <= cap.usage_max) usage = static_cast<uint16_t>(candidate);
      }
      // Usage 0 is reserved ("no event") on every page, and 0 ends a usage list.
      if (!usage || *usage == 0) continue;
      if (*count >= usages.size()) return HIDP_STATUS_BUFFER_TOO_SMALL;
      usages[(*count)++] = *usage;
    }
  }
  if (!page_found) return HIDP_STATUS_USAGE_NOT_FOUND;
  if (!id_found) return HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
  return HIDP_STATUS_SUCCESS;
}

HidStatus HidReportDecoder::GetUsageValue(const HidCollection& collection, HidReportType type,
                                          uint16_t usage_page, uint16_t usage,
                                          std::span<const uint8_t> report, uint32_t* value) {
  *value = 0;
  if (const HidStatus status = CheckReport(collection, type, report);
      status != HIDP_STATUS_SUCCESS) {
    return status;
  }
  const HIDP_VALUE_CAPS* cap = nullptr;
  uint32_t field = 0;
  if (const HidStatus status =
          FindValue(collection, type, usage_page, usage, report[0], &cap, &field);
      status != HIDP_STATUS_SUCCESS) {
    return status;
  }
  *value = ReadBits(report, cap->bit_position + uint64_t{field} * cap->bit_size, cap->bit_size);
  return HIDP_STATUS_SUCCESS;
}

HidStatus HidReportDecoder::GetScaledUsageValue(const HidCollection& collection,
                                                HidReportType type, uint16_t usage_page,
                                                uint16_t usage, std::span<const uint8_t> report,
                                                int32_t* value) {
  *value = 0;
  if (const HidStatus status = CheckReport(collection, type, report);
      status != HIDP_STATUS_SUCCESS) {
    return status;
  }
  const HIDP_VALUE_CAPS* cap = nullptr;
  uint32_t field = 0;
  if (const HidStatus status =
          FindValue(collection, type, usage_page, usage, report[0], &cap, &field);
      status != HIDP_STATUS_SUCCESS) {
    return status;
  }
  const uint32_t raw =
      ReadBits(report, cap->bit_position + uint64_t{field} * cap->bit_size, cap->bit_size);
  const int64_t logical = LogicalValue(*cap, raw);
  if (cap->physical_min == 0 && cap->physical_max == 0) {
    *value = static_cast<int32_t>(logical);
    return HIDP_STATUS_SUCCESS;
  }
  if (cap->logical_min >= cap->logical_max || cap->physical_min >= cap->physical_max) {
    return HIDP_STATUS_BAD_LOG_PHY_VALUES;
  }
  if (logical < cap->logical_min || logical > cap->logical_max) {
    return HIDP_STATUS_VALUE_OUT_OF_RANGE;
  }
  const int64_t physical_span = int64_t{cap->physical_max} - cap->physical_min;
  const int64_t logical_span = int64_t{cap->logical_max} - cap->logical_min;
  // Both spans reach 2^32, so the product needs more than 64 bits.
  const __int128 offset = static_cast<__int128>(logical - cap->logical_min) * physical_span;
  const int64_t scaled = cap->physical_min + static_cast<int64_t>(offset / logical_span);
  *value = static_cast<int32_t>(scaled);
  return HIDP_STATUS_SUCCESS;
}

}  // namespace zt640::platform
