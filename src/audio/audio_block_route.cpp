#include "audio/audio_block_route.h"

#include "devices/kalvex_usb_device.h"

namespace zt640 {

void AudioBlockRoute::SetOpen(bool open) {
  std::lock_guard lock(mutex_);
  open_ = open;
}

void AudioBlockRoute::SetKeyboard(CKalvexUSBDevice* keyboard) {
  std::lock_guard lock(mutex_);
  keyboard_ = keyboard;
}

std::optional<std::int64_t> AudioBlockRoute::Take(const platform::WindowMessage& message) {
  if (message.message != platform::kWmCopyData) return std::nullopt;
  std::lock_guard lock(mutex_);
  if (!open_) return 0;
  CKalvexUSBDevice* keyboard = keyboard_;
  const AudioBlockReceiver::Feed spectrum = [keyboard](std::span<const std::int32_t> values) {
    if (keyboard != nullptr) keyboard->FeedAudioSpectrum(values);
  };
  const AudioBlockReceiver::Feed levels = [keyboard](std::span<const std::int32_t> values) {
    if (keyboard != nullptr) keyboard->FeedAudioLevels(values);
  };
  return blocks_.OnCopyData(message.copy_data_kind, message.copy_data, spectrum, levels) ? 1 : 0;
}

AudioBlockReceiver AudioBlockRoute::Blocks() const {
  std::lock_guard lock(mutex_);
  return blocks_;
}

}  // namespace zt640
