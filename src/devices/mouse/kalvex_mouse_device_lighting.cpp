#include <algorithm>
#include <utility>

#include "devices/lighting_worker.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "devices/mouse/mouse_effect_renderer.h"
#include "platform/sync/tick_count.h"
#include "profiles/mouse_light_mode.h"

namespace zt640 {
namespace {

MouseEffectRenderer& Renderer(LightingCore& core) { return static_cast<MouseEffectRenderer&>(*core.renderer); }

/// The mouse plays its modes itself from its settings record; the light frames
/// of the indices past them only the host can play.
bool PlaysItself(int mode) { return mode < kMouseLightModeCount; }

}  // namespace

void CKalvexMouseDevice::StartLightWorker() {
  LightingWorker worker(
      Core(), SharedChannel(), clock_,
      [channel = SharedChannel()](const LightState& state) {
        return !channel->via_receiver() && !PlaysItself(state.mode());
      },
      "MS灯光线程设定退出");
  light_worker_.Start(
      "mouse lighting worker", [worker = std::move(worker)](const platform::Event& stop) { worker.Run(stop); },
      kWorkerStopWait);
}

WorkerThread::StopOutcome CKalvexMouseDevice::StopLightWorker() { return light_worker_.Stop(kWorkerStopWait); }

void CKalvexMouseDevice::StartReactive(LightingCore& core) {
  std::lock_guard lock(core.mutex);
  Renderer(core).StartReactive();
}

void CKalvexMouseDevice::StartReactiveLighting() { StartReactive(*Core()); }

void CKalvexMouseDevice::ShowLightStateOnRenderer() {
  const LightState state = LightState::FromEffect(effect_);
  std::vector<EffectFrame> frames;
  if (!PlaysItself(state.mode())) frames = profile_.LoadEffectFrames();
  auto core = Core();
  {
    std::lock_guard lock(core->mutex);
    MouseEffectRenderer& renderer = Renderer(*core);
    const bool new_mode = renderer.GetLightState().mode() != state.mode();
    renderer.SetLightState(state);
    if (new_mode) renderer.ClearEffectBuffers();
    if (new_mode || frames != renderer.LightList()) renderer.SetLightList(std::move(frames));
  }
  // A worker idling while nobody looks may now have frames to stream.
  core->changed.Set();
}

bool CKalvexMouseDevice::StreamsHostFrames() const {
  const std::shared_ptr<CommandChannel> channel = SharedChannel();
  return HostLighting() && channel->is_open() && !channel->via_receiver() && !PlaysItself(GetLightState().mode());
}

void CKalvexMouseDevice::ShowZones(std::span<const ZoneColour> zones) {
  CKalvexUSBDevice::ShowZones(zones);
  if (!zones.empty()) Sink().ShowLogoLight(zones[0]);
}

void CKalvexMouseDevice::SendLightFrame() {
  if (!HostLighting()) return;
  const std::vector<ZoneColour> zones = ZoneSnapshot();
  const size_t count = std::min(zones.size(), kMaxFrameZones);
  if (OnScreen()) ShowZones(zones);
  CommandChannel& channel = Channel();
  if (!channel.is_open() || channel.via_receiver() || count == 0) return;
  const auto frame = BuildFrame(zones);
  // The same frame again would change nothing on the mouse.
  if (last_frame_ && *last_frame_ == frame) return;
  if (channel.StreamLightFrame(std::span<const uint8_t>(frame.data(), 3 * count)) != CommandResult::kSuccess) {
    last_frame_.reset();
    platform::Sleep(kLightFailureSleepMs);
    return;
  }
  last_frame_ = frame;
}

}  // namespace zt640
