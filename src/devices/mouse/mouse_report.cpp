#include "devices/mouse/mouse_report.h"

namespace zt640 {
namespace {

constexpr uint16_t kRefreshReport = 0x0401;
constexpr uint16_t kReactiveReport = 0x0403;
constexpr uint8_t kSlotReport = 0x10;
constexpr uint8_t kSlotAndStageReport = 0x11;
constexpr uint8_t kStageCount = 5;

}  // namespace

std::optional<MouseReport> DecodeMouseReport(uint16_t value, bool wired) {
  MouseReport report;
  if (value == kRefreshReport) {
    report.kind = MouseReport::Kind::kRefresh;
    return report;
  }
  if (value == kReactiveReport) {
    if (!wired) return std::nullopt;
    report.kind = MouseReport::Kind::kReactive;
    return report;
  }
  if (value <= kRefreshReport) return std::nullopt;
  const uint8_t high = static_cast<uint8_t>(value >> 8);
  if (high != kSlotReport && high != kSlotAndStageReport) return std::nullopt;
  report.kind = MouseReport::Kind::kSlot;
  report.slot = static_cast<uint8_t>(value & 0x0F);
  const auto stage = static_cast<uint8_t>((value >> 4) & 0x0F);
  if (high == kSlotAndStageReport && stage < kStageCount) report.stage = stage;
  return report;
}

}  // namespace zt640
