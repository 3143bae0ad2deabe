// Parses arbitrary bytes as a report descriptor and walks every collection's caps.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/hid/report_descriptor_parser.h"

using zt640::platform::HidCollection;
using zt640::platform::HidReportType;
using zt640::platform::ReportDescriptorParser;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto result = ReportDescriptorParser::Parse({data, size});
  if (!result.ok && !result.collections.empty()) std::abort();
  for (const HidCollection& collection : result.collections) {
    for (HidReportType type :
         {HidReportType::kInput, HidReportType::kOutput, HidReportType::kFeature}) {
      const int index = zt640::platform::ReportTypeIndex(type);
      uint32_t total = collection.MaxUsageListLength(type, 0);
      uint32_t by_page = 0;
      for (const auto& cap : collection.button_caps[index]) {
        if (cap.usage_max < cap.usage_min || cap.data_index_max < cap.data_index_min) std::abort();
        by_page += cap.report_count;
        if (collection.MaxUsageListLength(type, cap.usage_page) > total) std::abort();
        if (!collection.HasReport(type, cap.report_id)) std::abort();
      }
      if (by_page != total) std::abort();
      for (const auto& cap : collection.value_caps[index]) {
        if (cap.usage_max < cap.usage_min) std::abort();
        if (!collection.HasReport(type, cap.report_id)) std::abort();
      }
      if (collection.ReportByteLength(type) > HidCollection::kMaxReportBytes) std::abort();
    }
    if (collection.link_nodes.empty()) std::abort();
  }
  return 0;
}
