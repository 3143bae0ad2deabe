#pragma once

#include <cstdint>
#include <vector>

namespace zt640::devsim {

/// The HID report descriptors the simulated keyboard and receiver present.
///
/// Interface 0: a boot keyboard (one top-level collection, no report ids;
/// 8-byte input, 1-byte LED output).
///
/// Interface 1: four top-level collections, each with its own report id:
///   1. Generic Desktop / Keyboard, id 1: 8 modifier bits and a 120-key bitmap
///      (usages 0x00-0x77), 16 data bytes;
///   2. Generic Desktop / System Control, id 2: power down, sleep, wake up;
///   3. Consumer / Consumer Control, id 3: one 16-bit array field, usages
///      0x0000-0x1FFF. The keyboard's own notifications travel here as usages:
///      0x0401 re-read, 0x0402 profile changed, 0x1000 + slot, 0x0500 + device
///      key (press), 0x0600 + device key (release);
///   4. vendor page 0xFF1C usage 0x92, id 4: 63-byte input and output reports
///      (64 bytes with the report id): the command channel.
class Descriptors {
 public:
  static constexpr uint8_t kNkroReportId = 1;
  static constexpr uint8_t kSystemControlReportId = 2;
  static constexpr uint8_t kConsumerReportId = 3;
  static constexpr uint8_t kVendorReportId = 4;

  [[nodiscard]] static std::vector<uint8_t> BootKeyboard();
  [[nodiscard]] static std::vector<uint8_t> FourCollections();
  /// Collections 2 to 4 of the command interface (system control, consumer
  /// control, vendor command channel), the same on every device of the family.
  [[nodiscard]] static std::vector<uint8_t> SharedCollections();
};

}  // namespace zt640::devsim
