#include "platform/hid/hid_collection.h"

#include <algorithm>

namespace zt640::platform {

bool HidCollection::HasReport(HidReportType type, uint8_t report_id) const {
  return reports_[ReportTypeIndex(type)][report_id].present;
}

uint16_t HidCollection::ReportByteLength(HidReportType type, uint8_t report_id) const {
  const ReportSlot& slot = reports_[ReportTypeIndex(type)][report_id];
  if (!slot.present) return 0;
  return static_cast<uint16_t>((slot.bits + 7) / 8 + 1);
}

uint16_t HidCollection::ReportByteLength(HidReportType type) const {
  uint16_t longest = 0;
  for (int id = 0; id < 256; ++id) {
    longest = std::max(longest, ReportByteLength(type, static_cast<uint8_t>(id)));
  }
  return longest;
}

uint32_t HidCollection::MaxUsageListLength(HidReportType type, uint16_t usage_page) const {
  uint32_t total = 0;
  for (const HIDP_BUTTON_CAPS& cap : button_caps[ReportTypeIndex(type)]) {
    if (usage_page == 0 || cap.usage_page == usage_page) total += cap.report_count;
  }
  return total;
}

bool HidCollection::AddReportBits(HidReportType type, uint8_t report_id, uint32_t bit_count) {
  ReportSlot& slot = reports_[ReportTypeIndex(type)][report_id];
  const uint64_t bits = uint64_t{slot.bits} + bit_count;
  if ((bits + 7) / 8 + 1 > kMaxReportBytes) return false;
  slot.bits = static_cast<uint32_t>(bits);
  slot.present = true;
  return true;
}

uint32_t HidCollection::ReportBits(HidReportType type, uint8_t report_id) const {
  return reports_[ReportTypeIndex(type)][report_id].bits;
}

void HidCollection::FinishCaps() {
  caps.input_report_byte_length = ReportByteLength(HidReportType::kInput);
  caps.output_report_byte_length = ReportByteLength(HidReportType::kOutput);
  caps.feature_report_byte_length = ReportByteLength(HidReportType::kFeature);
  caps.number_link_collection_nodes = static_cast<uint16_t>(link_nodes.size());

  auto data_indices = [this](HidReportType type) {
    uint32_t total = 0;
    for (const auto* caps_list : {&button_caps[ReportTypeIndex(type)],
                                  &value_caps[ReportTypeIndex(type)]}) {
      for (const HidpFieldCaps& cap : *caps_list) {
        total += uint32_t{cap.data_index_max} - cap.data_index_min + 1;
      }
    }
    return static_cast<uint16_t>(total);
  };
  auto count = [](const std::vector<HidpFieldCaps>& list) {
    return static_cast<uint16_t>(list.size());
  };
  constexpr int kIn = ReportTypeIndex(HidReportType::kInput);
  constexpr int kOut = ReportTypeIndex(HidReportType::kOutput);
  constexpr int kFeat = ReportTypeIndex(HidReportType::kFeature);
  caps.number_input_button_caps = count(button_caps[kIn]);
  caps.number_input_value_caps = count(value_caps[kIn]);
  caps.number_input_data_indices = data_indices(HidReportType::kInput);
  caps.number_output_button_caps = count(button_caps[kOut]);
  caps.number_output_value_caps = count(value_caps[kOut]);
  caps.number_output_data_indices = data_indices(HidReportType::kOutput);
  caps.number_feature_button_caps = count(button_caps[kFeat]);
  caps.number_feature_value_caps = count(value_caps[kFeat]);
  caps.number_feature_data_indices = data_indices(HidReportType::kFeature);
}

}  // namespace zt640::platform
