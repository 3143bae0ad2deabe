#include <chrono>

#include "devices/kalvex_lighting_device.h"
#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

constexpr std::chrono::milliseconds kPausedWait{10};

/// The worker's loop: one render of the current mode every period of its
/// speed level (28 to 7 ms). With the channel closed, with nobody looking and
/// the host not in control of the lighting, or in a mode whose picture does
/// not change, it sleeps until the core reports a change or the stop event is set. Uses only what it owns by shared pointer, so it may outlive
/// a detach safely.
void RunLightWorker(const std::shared_ptr<LightingCore>& core, const std::shared_ptr<CommandChannel>& channel,
                    const platform::Event& stop) {
  // Stopping also ends the idle sleep below.
  const platform::Event::WakerLink stop_link = stop.LinkWaker([core] { core->changed.Set(); });
  const auto sleep_until_changed = [&core] { (void)core->changed.Wait(-1); };
  std::chrono::milliseconds wait{0};
  while (!stop.Wait(wait.count())) {
    if (!channel->is_open() || (!core->on_screen.load() && !core->host_lighting.load())) {
      sleep_until_changed();
      wait = std::chrono::milliseconds(0);
      continue;
    }
    if (channel->lighting_paused()) {
      wait = kPausedWait;
      continue;
    }
    int mode = 0;
    {
      // This pass renders every change made so far; only later ones wake a steady mode again.
      core->changed.Reset();
      std::lock_guard lock(core->mutex);
      auto& renderer = static_cast<ZoneEffectRenderer&>(*core->renderer);
      const LightState& state = renderer.GetLightState();
      mode = state.mode();
      wait = std::chrono::milliseconds(ZoneEffectRenderer::PeriodMs(state.speed()));
      renderer.RenderMode(mode);
      ++core->generation;
    }
    if (ZoneEffectRenderer::IsSteadyMode(mode)) {
      sleep_until_changed();
      wait = std::chrono::milliseconds(0);
    }
  }
  platform::DebugOutput(CKalvexLightingDevice::kWorkerExitLine);
}

}  // namespace

void CKalvexLightingDevice::StartLightWorker() {
  light_worker_.Start(
      "zone lighting worker",
      [core = Core(), channel = SharedChannel()](const platform::Event& stop) { RunLightWorker(core, channel, stop); },
      kWorkerStopWait);
}

WorkerThread::StopOutcome CKalvexLightingDevice::StopLightWorker() { return light_worker_.Stop(kWorkerStopWait); }

}  // namespace zt640
