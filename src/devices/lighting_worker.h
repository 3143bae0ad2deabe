#pragma once

#include <functional>
#include <memory>

#include "devices/effect_clock.h"
#include "devices/kalvex_usb_device.h"
#include "platform/sync/event.h"
#include "transport/command_channel.h"

namespace zt640 {

/// The body of a device's lighting worker thread, the same for every kind:
/// it runs one pass of the device's renderer (HostEffectRenderer::RunWorkerPass)
/// under the lighting lock on each change of the effect tick on which the
/// renderer can change the zones (HostEffectRenderer::TickChangesUntilDue), on
/// the next one while a frame waits to be taken, and at once after a change.
/// With the channel closed, or while nobody looks at the picture and the
/// device needs no frames from the host, it blocks until the lighting core
/// reports a change (LightingCore::changed) or `stop` is set: a hidden window
/// costs no wake-ups. Uses only what it owns by shared pointer, so it may
/// outlive a detach safely.
class LightingWorker {
 public:
  /// Whether the device needs host frames in this state even with nobody
  /// looking (it cannot play the effect itself). Called under the lighting lock.
  using NeedsFrames = std::function<bool(const LightState& state)>;

  LightingWorker(std::shared_ptr<LightingCore> core, std::shared_ptr<CommandChannel> channel, EffectClock clock,
                 NeedsFrames needs_frames, const char* exit_line);

  /// Runs until `stop` is set, then writes the exit line to the diagnostics.
  void Run(const platform::Event& stop) const;

 private:
  std::shared_ptr<LightingCore> core_;
  std::shared_ptr<CommandChannel> channel_;
  EffectClock clock_;
  NeedsFrames needs_frames_;
  const char* exit_line_;
};

}  // namespace zt640
