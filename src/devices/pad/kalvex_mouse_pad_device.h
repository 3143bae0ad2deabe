#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devices/kalvex_lighting_device.h"

namespace zt640 {

/// The mouse pad with lighting (kind 3): lighting only. Its settings record
/// carries the mode and colours the pad runs by itself; while host lighting
/// is on the host streams rendered frames with the light stream command
/// (0x12), over the cable only.
class CKalvexMousePadDevice : public CKalvexLightingDevice {
 public:
  CKalvexMousePadDevice(ProfileFolders folders, std::string folder_name, DevicePanelSink* sink = nullptr,
                        std::unique_ptr<ZoneEffectRenderer> renderer = nullptr);
  ~CKalvexMousePadDevice() override;

  [[nodiscard]] const char* GetClass() const override { return "KalvexMousePadDevice"; }

  /// Information record (when connected), profile state, panels, lighting worker.
  void ReadDevice() override;
  void LoadProfileState() override;
  void ApplyProfileState() override;
  /// The zones streamed with 0x12 while host lighting is on and the pad is
  /// wired; a frame the worker has not changed since it was sent is not sent again.
  void SendLightFrame() override;
  [[nodiscard]] bool StreamsHostFrames() const override { return HostLighting(); }

  /// Information record: BeginConfig, ReadDeviceInfo, EndConfig. The first
  /// failing code, else kSuccess (kFailed when not connected).
  [[nodiscard]] int ReadDeviceInfoRecord();

 private:
  uint64_t last_sent_generation_ = 0;
  bool frame_sent_ = false;
};

}  // namespace zt640
