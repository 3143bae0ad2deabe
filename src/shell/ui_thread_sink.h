#pragma once

#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

#include "devices/device_panel_sink.h"

namespace zt640 {

/// Hands what a device object shows to its panel on the UI thread. A call from
/// another thread (the device's worker) is queued to the UI thread and runs there
/// once the device is between operations (its operation lock free), because the
/// panel reads the device's state while it shows it. Calls reach the panel in the
/// order they were made: a call made on the UI thread goes straight through only
/// when nothing is still queued. Key colours go straight through from any thread:
/// the panel only stores them. Lives on the UI thread; queued calls die with it.
class UiThreadSink final : public QObject, public DevicePanelSink {
  Q_OBJECT
 public:
  UiThreadSink(DevicePanelSink& target, std::recursive_timed_mutex& device_lock);

  /// Sends what follows to `target` (UI thread). The previous target must stay alive:
  /// a key colour from another thread may still be on its way to it.
  void Retarget(DevicePanelSink& target);

  void ShowKeyLight(unsigned ui_key, const ZoneColour& colour) override;
  /// Passed on only on the UI thread, where the whole frame was handed over.
  void KeyLightsShown() override;
  void ShowKeyText(unsigned ui_key, const std::string& text) override;
  void ShowKeyEnabled(unsigned ui_key, bool enabled) override;
  void ShowFunctionSwitch(int32_t value) override;
  void ShowPower(const PowerRecord& record) override;
  void ShowLightState(const LightEffect& effect) override;
  void ShowAudioLight(const AudioLightSetting& setting) override;
  void ShowCustomSlot(int slot) override;
  void ShowOptions(const KeyboardOptions& options) override;
  void ShowKeyAssignments() override;
  void PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

 private:
  using Call = std::function<void(DevicePanelSink&)>;

  void Deliver(Call call);
  /// Runs the queued calls in order once the device's lock is free (UI thread).
  void Drain();

  std::atomic<DevicePanelSink*> target_;  ///< set on the UI thread, read from any
  std::recursive_timed_mutex& device_lock_;
  std::deque<Call> queued_;   ///< UI thread only
  bool retry_armed_ = false;  ///< UI thread only
};

}  // namespace zt640
