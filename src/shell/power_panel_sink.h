#pragma once

#include <QPointer>

#include "devices/device_panel_sink.h"
#include "pages/mp_device_power_ui.h"

namespace zt640 {

/// The panel sink a device object has until its page takes over: it shows the
/// power records the device reads on the device's power widget and nothing else.
class PowerPanelSink final : public DevicePanelSink {
 public:
  explicit PowerPanelSink(CMpDevicePowerUI* power) : power_(power) {}

  void ShowKeyLight(unsigned, const ZoneColour&) override {}
  void ShowKeyText(unsigned, const std::string&) override {}
  void ShowKeyEnabled(unsigned, bool) override {}
  void ShowFunctionSwitch(int32_t) override {}
  void ShowPower(const PowerRecord& record) override {
    if (power_) power_->ShowPowerStatus(record);
  }
  void ShowLightState(const LightEffect&) override {}
  void ShowAudioLight(const AudioLightSetting&) override {}
  void ShowCustomSlot(int) override {}
  void ShowOptions(const KeyboardOptions&) override {}
  void PostToMainWindow(uint32_t, uintptr_t, intptr_t) override {}

 private:
  QPointer<CMpDevicePowerUI> power_;
};

}  // namespace zt640
