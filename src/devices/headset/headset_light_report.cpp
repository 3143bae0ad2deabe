#include "devices/headset/headset_light_report.h"

#include <algorithm>

namespace zt640 {

std::array<HeadsetLightReport, HeadsetLightReport::kReportsPerFrame> BuildHeadsetLightFrame(
    std::span<const ZoneColour> zones) {
  using Report = HeadsetLightReport;
  std::array<std::array<uint8_t, Report::kZoneSlots>, 3> values{};  // red, green, blue
  for (size_t i = 0; i < zones.size() && i < Report::kZoneSlots; ++i) {
    const ZoneColour& zone = zones[i];
    const auto scaled = [&zone](uint8_t colour) {
      return static_cast<uint8_t>(std::min<int>(colour * zone.brightness / 256, Report::kMaxValue));
    };
    values[0][i] = scaled(zone.red);
    values[1][i] = scaled(zone.green);
    values[2][i] = scaled(zone.blue);
  }
  constexpr std::array<std::array<uint8_t, 2>, 3> kBlocks{{{Report::kRedLow, Report::kRedHigh},
                                                           {Report::kGreenLow, Report::kGreenHigh},
                                                           {Report::kBlueLow, Report::kBlueHigh}}};
  std::array<Report, Report::kReportsPerFrame> frame{};
  Report buffer;
  buffer.bytes[Report::kReportIdOffset] = Report::kReportId;
  size_t next = 0;
  for (size_t colour = 0; colour < kBlocks.size(); ++colour) {
    for (uint8_t target : Report::kTargets) {
      buffer.bytes[Report::kTargetOffset] = target;
      buffer.bytes[Report::kBlockOffset] = kBlocks[colour][0];
      std::copy_n(values[colour].begin(), Report::kLowZones, buffer.bytes.begin() + Report::kValuesOffset);
      frame[next++] = buffer;
      buffer.bytes[Report::kBlockOffset] = kBlocks[colour][1];
      std::copy_n(values[colour].begin() + Report::kLowZones, Report::kHighZones,
                  buffer.bytes.begin() + Report::kValuesOffset);
      frame[next++] = buffer;
    }
  }
  return frame;
}

}  // namespace zt640
