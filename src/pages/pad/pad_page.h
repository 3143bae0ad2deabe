#pragma once

#include "pages/lighting_device_page.h"

namespace zt640 {

class CKalvexMousePadDevice;

/// The mouse pad's page: its drawn pad with the live zone colours, the profile
/// row and the lighting editor. It is also the pad's panel sink. It has no Qt
/// parent: whoever creates it owns it.
class PadPage final : public LightingDevicePage {
  Q_OBJECT
 public:
  PadPage(QWidget* page, CKalvexMousePadDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts);
  ~PadPage() override;

  /// Loads the profile list (the pad takes its active profile) and shows its lighting.
  void LoadPanels();

  [[nodiscard]] CKalvexMousePadDevice& Device() const { return device_; }

 private:
  CKalvexMousePadDevice& device_;
};

}  // namespace zt640
