#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/hid_collection.h"

namespace zt640::platform {

/// Outcome of parsing one report descriptor: on success one HidCollection per
/// top-level collection in descriptor order; on failure a reason and no collections.
struct ReportDescriptorParseResult {
  bool ok = false;
  std::string error;
  std::vector<HidCollection> collections;
};

/// Splits a HID report descriptor into its top-level collections and builds
/// their capabilities. Any input is safe: malformed, truncated or oversized
/// descriptors fail with a reason, and every nesting depth, count and size is
/// bounded so hostile input cannot exhaust memory.
class ReportDescriptorParser {
 public:
  static constexpr size_t kMaxDescriptorBytes = 4096;
  static constexpr size_t kMaxCollectionDepth = 32;
  static constexpr size_t kMaxGlobalStackDepth = 16;
  static constexpr size_t kMaxTopLevelCollections = 255;
  static constexpr size_t kMaxLinkNodes = 1024;
  static constexpr uint32_t kMaxReportSize = 256;
  static constexpr uint32_t kMaxReportCount = 12288;
  /// Bound on the data indices and on the summed button report counts of one
  /// report type in one collection (both are 16-bit quantities in the caps).
  static constexpr uint32_t kMaxPerTypeTotal = 65535;

  [[nodiscard]] static ReportDescriptorParseResult Parse(std::span<const uint8_t> descriptor);
};

}  // namespace zt640::platform
