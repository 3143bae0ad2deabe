#include "devsim/keyboard_notification.h"

#include "devsim/descriptors.h"
#include "transport/byte_order.h"

namespace zt640::devsim {

std::optional<uint16_t> KeyboardNotification::Slot(unsigned slot) {
  if (slot > kMaxSlot) return std::nullopt;
  return static_cast<uint16_t>(kSlotBase + slot);
}

std::optional<uint16_t> KeyboardNotification::Key(unsigned device_key, bool pressed) {
  if (device_key > 0xFF) return std::nullopt;
  return static_cast<uint16_t>((pressed ? kKeyDownBase : kKeyUpBase) + device_key);
}

std::array<uint8_t, 3> KeyboardNotification::Report(uint16_t usage) {
  std::array<uint8_t, 3> report{Descriptors::kConsumerReportId, 0, 0};
  StoreLe16(report.data() + 1, usage);
  return report;
}

}  // namespace zt640::devsim
