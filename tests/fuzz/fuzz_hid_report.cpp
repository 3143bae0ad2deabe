// Decodes arbitrary reports against a fixed descriptor (first byte even) or
// against a fuzzed descriptor (first byte odd: then a length byte, that many
// descriptor bytes, and the report).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/hid/hid_report_decoder.h"
#include "platform/hid/report_descriptor_parser.h"

using zt640::platform::HidCollection;
using zt640::platform::HidReportDecoder;
using zt640::platform::HidReportType;
using zt640::platform::ReportDescriptorParser;

namespace {

// A 2.4 GHz mouse dongle: mouse (ids 1, 2) and consumer keys (id 3).
constexpr uint8_t kMouseDongle[] = {
    0x05, 0x01, 0x09, 0x02, 0xa1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xa1, 0x00, 0x95, 0x05, 0x75,
    0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x81, 0x02, 0x95, 0x01,
    0x75, 0x03, 0x81, 0x01, 0x75, 0x08, 0x95, 0x01, 0x05, 0x01, 0x09, 0x38, 0x15, 0x81, 0x25,
    0x7f, 0x81, 0x06, 0x05, 0x0c, 0x0a, 0x38, 0x02, 0x95, 0x01, 0x81, 0x06, 0xc0, 0x85, 0x02,
    0x09, 0x01, 0xa1, 0x00, 0x75, 0x0c, 0x95, 0x02, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x16,
    0x01, 0xf8, 0x26, 0xff, 0x07, 0x81, 0x06, 0xc0, 0xc0, 0x05, 0x0c, 0x09, 0x01, 0xa1, 0x01,
    0x85, 0x03, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x01, 0x09, 0xcd, 0x81, 0x06, 0x0a,
    0x83, 0x01, 0x81, 0x06, 0x09, 0xb5, 0x81, 0x06, 0x09, 0xb6, 0x81, 0x06, 0x09, 0xea, 0x81,
    0x06, 0x09, 0xe9, 0x81, 0x06, 0x0a, 0x25, 0x02, 0x81, 0x06, 0x0a, 0x24, 0x02, 0x81, 0x06,
    0xc0};

void Decode(const HidCollection& collection, HidReportType type,
            const std::vector<uint8_t>& report) {
  const int index = zt640::platform::ReportTypeIndex(type);
  std::vector<uint16_t> usages(std::min<uint32_t>(collection.MaxUsageListLength(type, 0), 4096));
  for (const auto& cap : collection.button_caps[index]) {
    uint32_t count = 0;
    (void)HidReportDecoder::GetUsages(collection, type, cap.usage_page, report, usages, &count);
    if (count > usages.size()) __builtin_trap();
  }
  for (const auto& cap : collection.value_caps[index]) {
    const uint32_t last = std::min<uint32_t>(cap.usage_max, uint32_t{cap.usage_min} + 8);
    for (uint32_t usage = cap.usage_min; usage <= last; ++usage) {
      uint32_t raw = 0;
      int32_t scaled = 0;
      (void)HidReportDecoder::GetUsageValue(collection, type, cap.usage_page,
                                            static_cast<uint16_t>(usage), report, &raw);
      (void)HidReportDecoder::GetScaledUsageValue(collection, type, cap.usage_page,
                                                  static_cast<uint16_t>(usage), report, &scaled);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t* descriptor = kMouseDongle;
  size_t descriptor_size = sizeof kMouseDongle;
  size_t offset = 1;
  if (data[0] & 1) {
    descriptor_size = std::min<size_t>(data[1], size - 2);
    descriptor = data + 2;
    offset = 2 + descriptor_size;
  }
  const auto parsed = ReportDescriptorParser::Parse({descriptor, descriptor_size});
  if (!parsed.ok) return 0;
  const std::vector<uint8_t> raw(data + offset, data + size);
  for (const HidCollection& collection : parsed.collections) {
    for (HidReportType type :
         {HidReportType::kInput, HidReportType::kOutput, HidReportType::kFeature}) {
      Decode(collection, type, raw);
      // The same bytes padded or cut to the collection's length, as reads deliver them.
      std::vector<uint8_t> sized = raw;
      sized.resize(collection.ReportByteLength(type), 0);
      if (!sized.empty()) Decode(collection, type, sized);
    }
  }
  return 0;
}
