#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "devices/zone_colour.h"

namespace zt640 {

/// The headset's 17-byte light output report: report id 0xFF, a target,
/// a block naming one colour of one half of the zones, and up to seven values.
struct HeadsetLightReport {
  static constexpr size_t kSize = 17;
  static constexpr size_t kReportIdOffset = 0;
  static constexpr size_t kTargetOffset = 1;
  static constexpr size_t kBlockOffset = 2;
  static constexpr size_t kValuesOffset = 4;
  static constexpr uint8_t kReportId = 0xFF;
  /// Every block goes once to each target; what they mean is the firmware's.
  static constexpr std::array<uint8_t, 2> kTargets{0x22, 0x44};
  /// Blocks of zones 0-6 (seven values) and of zones 7-12 (six values), red, green, blue.
  static constexpr uint8_t kRedLow = 0xAA;
  static constexpr uint8_t kGreenLow = 0xAB;
  static constexpr uint8_t kBlueLow = 0xAC;
  static constexpr uint8_t kRedHigh = 0xAD;
  static constexpr uint8_t kGreenHigh = 0xAE;
  static constexpr uint8_t kBlueHigh = 0xAF;
  static constexpr size_t kLowZones = 7;
  static constexpr size_t kHighZones = 6;
  /// Values above this are sent as this.
  static constexpr uint8_t kMaxValue = 0xF7;
  /// One frame: every block to both targets, red first, then green, then blue.
  static constexpr size_t kReportsPerFrame = 12;
  /// Zones the colour arrays hold.
  static constexpr size_t kZoneSlots = 16;

  std::array<uint8_t, kSize> bytes{};
};
static_assert(sizeof(HeadsetLightReport) == HeadsetLightReport::kSize);

/// The twelve reports of one frame, in sending order: (0x22, low), (0x22, high),
/// (0x44, low), (0x44, high) for red, then green, then blue. Each value is
/// colour x brightness / 256, capped at 0xF7; zones beyond 16 are left out.
/// A high block's byte 10 still holds the seventh value of the low block sent
/// before it, as the reports are built in one buffer.
[[nodiscard]] std::array<HeadsetLightReport, HeadsetLightReport::kReportsPerFrame> BuildHeadsetLightFrame(
    std::span<const ZoneColour> zones);

}  // namespace zt640
