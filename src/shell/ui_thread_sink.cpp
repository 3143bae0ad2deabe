#include "shell/ui_thread_sink.h"

#include <QThread>
#include <QTimer>

namespace zt640 {

namespace {
/// How soon a queued call looks again while the device is inside an operation.
constexpr int kRetryMs = 10;
}  // namespace

UiThreadSink::UiThreadSink(DevicePanelSink& target, std::recursive_timed_mutex& device_lock)
    : target_(&target), device_lock_(device_lock) {}

void UiThreadSink::Retarget(DevicePanelSink& target) { target_.store(&target); }

void UiThreadSink::Deliver(Call call) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)]() mutable {
          queued_.push_back(std::move(call));
          Drain();
        },
        Qt::QueuedConnection);
    return;
  }
  if (queued_.empty()) {
    call(*target_.load());
    return;
  }
  queued_.push_back(std::move(call));
  Drain();
}

void UiThreadSink::Drain() {
  if (queued_.empty()) return;
  std::unique_lock lock(device_lock_, std::try_to_lock);
  if (!lock.owns_lock()) {
    if (!retry_armed_) {
      retry_armed_ = true;
      QTimer::singleShot(kRetryMs, this, [this] {
        retry_armed_ = false;
        Drain();
      });
    }
    return;
  }
  while (!queued_.empty()) {
    Call call = std::move(queued_.front());
    queued_.pop_front();
    call(*target_.load());
  }
}

void UiThreadSink::ShowKeyLight(unsigned ui_key, const ZoneColour& colour) {
  target_.load()->ShowKeyLight(ui_key, colour);
}

void UiThreadSink::KeyLightsShown() {
  if (QThread::currentThread() == thread()) target_.load()->KeyLightsShown();
}

void UiThreadSink::ShowKeyText(unsigned ui_key, const std::string& text) {
  Deliver([ui_key, text](DevicePanelSink& sink) { sink.ShowKeyText(ui_key, text); });
}

void UiThreadSink::ShowKeyEnabled(unsigned ui_key, bool enabled) {
  Deliver([ui_key, enabled](DevicePanelSink& sink) { sink.ShowKeyEnabled(ui_key, enabled); });
}

void UiThreadSink::ShowFunctionSwitch(int32_t value) {
  Deliver([value](DevicePanelSink& sink) { sink.ShowFunctionSwitch(value); });
}

void UiThreadSink::ShowPower(const PowerRecord& record) {
  Deliver([record](DevicePanelSink& sink) { sink.ShowPower(record); });
}

void UiThreadSink::ShowLightState(const LightEffect& effect) {
  Deliver([effect](DevicePanelSink& sink) { sink.ShowLightState(effect); });
}

void UiThreadSink::ShowAudioLight(const AudioLightSetting& setting) {
  Deliver([setting](DevicePanelSink& sink) { sink.ShowAudioLight(setting); });
}

void UiThreadSink::ShowCustomSlot(int slot) {
  Deliver([slot](DevicePanelSink& sink) { sink.ShowCustomSlot(slot); });
}

void UiThreadSink::ShowOptions(const KeyboardOptions& options) {
  Deliver([options](DevicePanelSink& sink) { sink.ShowOptions(options); });
}

void UiThreadSink::ShowKeyAssignments() {
  Deliver([](DevicePanelSink& sink) { sink.ShowKeyAssignments(); });
}

void UiThreadSink::PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Deliver([message, wparam, lparam](DevicePanelSink& sink) { sink.PostToMainWindow(message, wparam, lparam); });
}

}  // namespace zt640
