#include "pages/pad/pad_page.h"

#include "devices/pad/kalvex_mouse_pad_device.h"
#include "pages/pad/pad_picture.h"

namespace zt640 {

namespace {

std::unique_ptr<ZonePicture> MakePicture(QWidget* page, const CKalvexMousePadDevice& device) {
  auto* panel = page != nullptr ? page->findChild<CSelectPanelUI*>(QStringLiteral("mousepad_device_key_light")) : nullptr;
  if (panel == nullptr) return nullptr;
  return std::make_unique<PadPicture>(panel, device.CatalogueEntry().light_count);
}

}  // namespace

PadPage::PadPage(QWidget* page, CKalvexMousePadDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts)
    : LightingDevicePage(page, device, DeviceKind::kMousePad, power, std::move(prompts), MakePicture(page, device),
                         {"deng_Op_tab"}),
      device_(device) {}

PadPage::~PadPage() = default;

void PadPage::LoadPanels() { LoadLightingPanels(DeviceKind::kMousePad, "mouse pad"); }

}  // namespace zt640
