#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "devices/zone_colour.h"
#include "profiles/keyboard_records.h"
#include "profiles/light_effect.h"
#include "transport/power_record.h"

namespace zt640 {

/// What a device object shows on its on-screen panel and tells its main
/// window. The Qt panel implements it; the CLI and tests use NullPanelSink.
/// Calls come from the UI thread, except ShowKeyLight, which the frame sender
/// calls from whichever thread sends the frame.
class DevicePanelSink {
 public:
  virtual ~DevicePanelSink() = default;

  /// The key button `ui_key` shows this colour and brightness.
  virtual void ShowKeyLight(unsigned ui_key, const ZoneColour& colour) = 0;
  /// A whole frame of key colours was just handed over through ShowKeyLight on
  /// the UI thread: the panel may show it now instead of on its own next tick.
  virtual void KeyLightsShown() {}
  /// The device's logo shows this colour and brightness (devices with a lit logo).
  virtual void ShowLogoLight(const ZoneColour& /*colour*/) {}
  /// The key button's text was refreshed from its assignment.
  virtual void ShowKeyText(unsigned ui_key, const std::string& text) = 0;
  virtual void ShowKeyEnabled(unsigned ui_key, bool enabled) = 0;
  virtual void ShowFunctionSwitch(int32_t value) = 0;
  virtual void ShowPower(const PowerRecord& record) = 0;
  virtual void ShowLightState(const LightEffect& effect) = 0;
  virtual void ShowAudioLight(const AudioLightSetting& setting) = 0;
  virtual void ShowCustomSlot(int slot) = 0;
  virtual void ShowOptions(const KeyboardOptions& options) = 0;
  /// The device's key assignments changed (loaded, edited or fixed up): the
  /// panel rebuilds the texts of its key buttons.
  virtual void ShowKeyAssignments() {}
  /// A window message to the main window (e.g. 3332, the firmware version report).
  virtual void PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) = 0;
};

/// Shows nothing; remembers the last posted message for those who ask.
class NullPanelSink final : public DevicePanelSink {
 public:
  void ShowKeyLight(unsigned, const ZoneColour&) override {}
  void ShowKeyText(unsigned, const std::string&) override {}
  void ShowKeyEnabled(unsigned, bool) override {}
  void ShowFunctionSwitch(int32_t) override {}
  void ShowPower(const PowerRecord&) override {}
  void ShowLightState(const LightEffect&) override {}
  void ShowAudioLight(const AudioLightSetting&) override {}
  void ShowCustomSlot(int) override {}
  void ShowOptions(const KeyboardOptions&) override {}
  void PostToMainWindow(uint32_t, uintptr_t, intptr_t) override {}
};

}  // namespace zt640
