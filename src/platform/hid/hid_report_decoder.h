#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/hid/hid_collection.h"

namespace zt640::platform {

/// Decodes received reports of one collection, with the status codes of the
/// Windows HID parser. A report is the whole report of its type: byte 0 is the
/// report id (0 when the device numbers no reports) and its length must equal
/// the collection's byte length for that type. Only capabilities whose report
/// id equals byte 0 are decoded.
class HidReportDecoder {
 public:
  /// Usages of usage_page that are on in the report, in capability order,
  /// written to usages (at most usages.size()); *count receives how many.
  /// Usage 0 (an array's "no event") is never reported.
  /// BUFFER_TOO_SMALL when more were on than fit (the first ones are kept).
  [[nodiscard]] static HidStatus GetUsages(const HidCollection& collection, HidReportType type,
                                           uint16_t usage_page, std::span<const uint8_t> report,
                                           std::span<uint16_t> usages, uint32_t* count);

  /// Raw (not sign-extended) bits of the value with that page and usage. For a
  /// value array that is no range the first field is returned.
  [[nodiscard]] static HidStatus GetUsageValue(const HidCollection& collection,
                                               HidReportType type, uint16_t usage_page,
                                               uint16_t usage, std::span<const uint8_t> report,
                                               uint32_t* value);

  /// The value scaled from its logical to its physical range; with physical
  /// minimum and maximum both 0 the logical value itself (sign-extended when the
  /// logical minimum is negative).
  [[nodiscard]] static HidStatus GetScaledUsageValue(const HidCollection& collection,
                                                     HidReportType type, uint16_t usage_page,
                                                     uint16_t usage,
                                                     std::span<const uint8_t> report,
                                                     int32_t* value);

  /// The usage one array field value selects: usage_min + (value - logical_min)
  /// when the value lies within the logical range and within this capability's
  /// share of the item's usages; none otherwise ("no usage").
  [[nodiscard]] static std::optional<uint16_t> ArrayUsage(const HIDP_BUTTON_CAPS& cap,
                                                          int64_t field_value);

  /// Little-endian bit field of up to 32 bits starting bit_position bits after
  /// the id byte; bits past the end of the report read as 0.
  [[nodiscard]] static uint32_t ReadBits(std::span<const uint8_t> report, uint64_t bit_position,
                                         uint32_t bit_count);
};

}  // namespace zt640::platform
