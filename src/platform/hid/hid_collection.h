#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/hid/hid_types.h"

namespace zt640::platform {

/// The parsed form of one top-level collection of a report descriptor (what the
/// Windows model calls preparsed data): its caps, capability arrays per report
/// type, link collection nodes and the size of every report it owns.
class HidCollection {
 public:
  HIDP_CAPS caps;
  std::vector<HIDP_LINK_COLLECTION_NODE> link_nodes;
  std::array<std::vector<HIDP_BUTTON_CAPS>, kHidReportTypeCount> button_caps;
  std::array<std::vector<HIDP_VALUE_CAPS>, kHidReportTypeCount> value_caps;
  /// True when the descriptor as a whole numbers its reports (has report ids);
  /// byte 0 of every report is then the id, else it is 0.
  bool numbered_reports = false;

  /// Whether this collection has a report of that type and id.
  [[nodiscard]] bool HasReport(HidReportType type, uint8_t report_id) const;
  /// Byte length of that report including the id byte; 0 when there is none.
  [[nodiscard]] uint16_t ReportByteLength(HidReportType type, uint8_t report_id) const;
  /// The collection's byte length for a report type (the maximum over its ids).
  [[nodiscard]] uint16_t ReportByteLength(HidReportType type) const;
  /// Most usages one report of that type can carry for one usage page (0: any page).
  [[nodiscard]] uint32_t MaxUsageListLength(HidReportType type, uint16_t usage_page) const;

  /// Builder side: a main item of that type and id occupies bit_count more bits.
  /// Returns false when the report would exceed kMaxReportBytes.
  [[nodiscard]] bool AddReportBits(HidReportType type, uint8_t report_id, uint32_t bit_count);
  /// Current bit length of that report (data bits only, without the id byte).
  [[nodiscard]] uint32_t ReportBits(HidReportType type, uint8_t report_id) const;
  /// Fills the report lengths and capability counts of caps from the arrays.
  void FinishCaps();

  /// Largest report accepted, id byte included.
  static constexpr uint32_t kMaxReportBytes = 16384;

 private:
  struct ReportSlot {
    uint32_t bits = 0;
    bool present = false;
  };
  std::array<std::array<ReportSlot, 256>, kHidReportTypeCount> reports_{};
};

}  // namespace zt640::platform
