#include "devices/pad/kalvex_mouse_pad_device.h"

#include <algorithm>
#include <utility>

#include "platform/diag/debug_output.h"
#include "platform/sync/tick_count.h"

namespace zt640 {

CKalvexMousePadDevice::CKalvexMousePadDevice(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink,
                                             std::unique_ptr<ZoneEffectRenderer> renderer)
    : CKalvexLightingDevice(std::move(folders), std::move(folder_name), InterfaceCatalogue::kMousePadType,
                            std::make_unique<CBasicProfiledata>(), sink, std::move(renderer)) {
  // Until a profile is chosen the device shows the default profile.
  LoadProfileState();
}

CKalvexMousePadDevice::~CKalvexMousePadDevice() = default;

int CKalvexMousePadDevice::ReadDeviceInfoRecord() {
  CommandChannel& channel = Channel();
  if (!channel.is_open()) return CommandResult::kFailed;
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return result;
  result = channel.ReadDeviceInfo(&device_info_);
  const int closed = channel.EndConfig();
  return result != CommandResult::kSuccess ? result : closed;
}

void CKalvexMousePadDevice::ReadDevice() {
  if (Channel().is_open()) {
    if (const int info = ReadDeviceInfoRecord(); info != CommandResult::kSuccess) {
      platform::DebugOutput("mouse pad information not read: " + std::to_string(info));
    }
  }
  LoadProfileState();
  ApplyProfileState();
  StartLightWorker();
}

void CKalvexMousePadDevice::LoadProfileState() { LoadProfileFile(); }

void CKalvexMousePadDevice::ApplyProfileState() {
  LoadNameLists();
  Sink().ShowLightState(effect_);
}

void CKalvexMousePadDevice::SendLightFrame() {
  if (!HostLighting()) return;
  const auto [zones, generation] = FrameSnapshot();
  const size_t count = std::min(zones.size(), kMaxFrameZones);
  if (OnScreen()) ShowZones(zones);
  CommandChannel& channel = Channel();
  if (!channel.is_open() || channel.via_receiver()) return;
  if (frame_sent_ && generation == last_sent_generation_) return;
  const auto frame = BuildFrame(zones);
  frame_sent_ = channel.StreamLightFrame(std::span<const uint8_t>(frame.data(), 3 * count)) == CommandResult::kSuccess;
  last_sent_generation_ = generation;
  if (!frame_sent_) platform::Sleep(kLightFailureSleepMs);
}

}  // namespace zt640
