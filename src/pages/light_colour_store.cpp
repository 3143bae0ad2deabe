#include "pages/light_colour_store.h"

#include "pages/device_key_button_ui.h"

namespace zt640 {

LightColourStore::LightColourStore(std::size_t count)
    : stored_(std::make_unique<std::atomic<uint32_t>[]>(count)), shown_(count, 0) {}

QColor LightColourStore::ShownColour(uint32_t packed) {
  const uint32_t brightness = packed & 0xFF;
  const auto scale = [brightness](uint32_t channel) { return static_cast<int>((channel * brightness + 127) / 255); };
  return QColor(scale(packed >> 24 & 0xFF), scale(packed >> 16 & 0xFF), scale(packed >> 8 & 0xFF));
}

void LightColourStore::Store(std::size_t index, uint32_t packed) {
  if (index >= shown_.size()) return;
  // Release: pairs with the acquire in TakeChanged.
  if (stored_[index].exchange(packed, std::memory_order_relaxed) != packed) dirty_.store(true, std::memory_order_release);
}

int LightColourStore::ShowChanged(const std::vector<QPointer<CDeviceKeyButtonUI>>& lights) {
  int changed = 0;
  TakeChanged([&lights, &changed](std::size_t index, uint32_t packed) {
    if (CDeviceKeyButtonUI* light = index < lights.size() ? lights[index].data() : nullptr) {
      light->SetLightColour(ShownColour(packed));
    }
    ++changed;
  });
  return changed;
}

}  // namespace zt640
