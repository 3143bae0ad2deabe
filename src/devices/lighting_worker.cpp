#include "devices/lighting_worker.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <utility>

#include "platform/diag/debug_output.h"

namespace zt640 {

LightingWorker::LightingWorker(std::shared_ptr<LightingCore> core, std::shared_ptr<CommandChannel> channel,
                               EffectClock clock, NeedsFrames needs_frames, const char* exit_line)
    : core_(std::move(core)),
      channel_(std::move(channel)),
      clock_(std::move(clock)),
      needs_frames_(std::move(needs_frames)),
      exit_line_(exit_line) {}

void LightingWorker::Run(const platform::Event& stop) const {
  {
    std::lock_guard lock(core_->mutex);
    core_->renderer->StartWorkerPasses();
  }
  // Every sleep waits on the change event: a change (a new mode, the picture
  // coming on screen, the channel opening) ends it early, and so does stopping.
  const platform::Event::WakerLink stop_link = stop.LinkWaker([core = core_] { core->changed.Set(); });
  constexpr int64_t kWaitForChange = -1;
  int64_t wait_ms = 1;
  while (!stop.IsSet()) {
    (void)core_->changed.Wait(wait_ms);
    if (stop.IsSet()) break;
    if (!channel_->is_open()) {
      wait_ms = kWaitForChange;
      continue;
    }
    if (channel_->lighting_paused()) {
      wait_ms = clock_.UntilNextTick().count();
      continue;
    }
    std::unique_lock lock(core_->mutex);
    HostEffectRenderer& renderer = *core_->renderer;
    if (!core_->on_screen.load() && !(needs_frames_ && needs_frames_(renderer.GetLightState()))) {
      wait_ms = kWaitForChange;
      continue;
    }
    renderer.RunWorkerPass();
    ++core_->generation;
    const bool frame_waits = core_->OfferFrame(renderer.Zones());
    // Ticks on which nothing can render are slept through; the pass counts them.
    const uint64_t due = frame_waits ? 1 : renderer.TickChangesUntilDue();
    wait_ms = due == HostEffectRenderer::kUntilChanged ? kWaitForChange : clock_.UntilTickChanges(due).count();
  }
  platform::DebugOutput(exit_line_);
}

}  // namespace zt640
