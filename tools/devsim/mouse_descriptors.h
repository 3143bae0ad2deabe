#pragma once

#include <cstdint>
#include <vector>

namespace zt640::devsim {

/// The HID report descriptors the simulated mouse and its receiver present.
///
/// Interface 0: a boot-compatible mouse (no report ids): 5 buttons, 16-bit X
/// and Y, 8-bit wheel and horizontal pan (AC Pan); 8-byte input report.
///
/// Interface 1: four top-level collections, each with its own report id:
///   1. Generic Desktop / Keyboard, id 1: 8 modifier bits, a reserved byte and
///      six key slots (what a button assigned a key or a macro sends);
///   2. Generic Desktop / System Control, id 2: power down, sleep, wake up;
///   3. Consumer / Consumer Control, id 3: one 16-bit array field, usages
///      0x0000-0x1FFF, also carrying the mouse's own reports (0x0401 re-read,
///      0x0403 reactive start, 0x1000 + slot, 0x1100 + stage * 16 + slot);
///   4. vendor page 0xFF1C usage 0x92, id 4: 63-byte input and output reports
///      (64 bytes with the report id): the command channel.
class MouseDescriptors {
 public:
  static constexpr uint8_t kKeyboardReportId = 1;
  static constexpr uint8_t kSystemControlReportId = 2;
  static constexpr uint8_t kConsumerReportId = 3;
  static constexpr uint8_t kVendorReportId = 4;

  [[nodiscard]] static std::vector<uint8_t> BootMouse();
  [[nodiscard]] static std::vector<uint8_t> CommandInterface();
};

}  // namespace zt640::devsim
