#include "devices/lighting_worker.h"

#include <chrono>
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
  // Stopping also ends the idle sleep below.
  const platform::Event::WakerLink stop_link = stop.LinkWaker([core = core_] { core->changed.Set(); });
  const auto sleep_until_changed = [this] { (void)core_->changed.Wait(-1); };
  std::chrono::milliseconds wait{1};
  while (!stop.Wait(wait.count())) {
    if (!channel_->is_open()) {
      sleep_until_changed();
      wait = std::chrono::milliseconds(0);
      continue;
    }
    wait = clock_.UntilNextTick();
    if (channel_->lighting_paused()) continue;
    std::unique_lock lock(core_->mutex);
    HostEffectRenderer& renderer = *core_->renderer;
    if (!core_->on_screen.load() && !(needs_frames_ && needs_frames_(renderer.GetLightState()))) {
      lock.unlock();
      sleep_until_changed();
      wait = std::chrono::milliseconds(0);
      continue;
    }
    renderer.RunWorkerPass();
    ++core_->generation;
    core_->OfferFrame(renderer.Zones());
  }
  platform::DebugOutput(exit_line_);
}

}  // namespace zt640
