#include "devsim/mouse_notification.h"

#include "devsim/mouse_descriptors.h"
#include "transport/byte_order.h"

namespace zt640::devsim {

std::optional<uint16_t> MouseNotification::Slot(unsigned slot) {
  if (slot > kMaxSlot) return std::nullopt;
  return static_cast<uint16_t>(kSlotBase + slot);
}

std::optional<uint16_t> MouseNotification::Stage(unsigned stage, unsigned slot) {
  if (stage > kMaxStage || slot > kMaxSlot) return std::nullopt;
  return static_cast<uint16_t>(kStageBase + (stage << 4) + slot);
}

std::array<uint8_t, 3> MouseNotification::Report(uint16_t usage) {
  std::array<uint8_t, 3> report{MouseDescriptors::kConsumerReportId, 0, 0};
  StoreLe16(report.data() + 1, usage);
  return report;
}

}  // namespace zt640::devsim
