#pragma once

#include <cstdint>
#include <vector>

namespace zt640::devsim {

/// The HID interface of the simulated headset (interface 3, beside its three
/// audio interfaces): one Consumer Control top-level collection holding
///   - id 3: one 16-bit consumer array field, the headset's own reports
///     (0x0401 re-read);
///   - id 4: 63-byte vendor input and output reports, the command channel;
///   - id 0xFF: a 16-byte vendor output report (17 with the id), the light
///     output report.
class HeadsetDescriptors {
 public:
  static constexpr uint8_t kInterfaceNumber = 3;
  static constexpr uint8_t kAudioInterfaces = 3;
  static constexpr uint8_t kConsumerReportId = 3;
  static constexpr uint8_t kVendorReportId = 4;
  static constexpr uint8_t kLightReportId = 0xFF;

  [[nodiscard]] static std::vector<uint8_t> HidInterface();
};

}  // namespace zt640::devsim
