#pragma once

#include <QColor>
#include <QPointer>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zt640 {

class CDeviceKeyButtonUI;

/// The colours of a device picture's lights: what the lighting worker stored last
/// and what the picture shows, each packed as red, green, blue and brightness
/// from the high byte down.
///
/// `Store` may be called from any thread and never touches a widget; everything
/// else belongs to the UI thread, whose refresh tick takes the changed colours.
class LightColourStore {
 public:
  explicit LightColourStore(std::size_t count);

  [[nodiscard]] static constexpr uint32_t Pack(uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
    return static_cast<uint32_t>(r) << 24 | static_cast<uint32_t>(g) << 16 | static_cast<uint32_t>(b) << 8 | brightness;
  }
  /// The colour a packed value shows: each channel scaled by the brightness.
  [[nodiscard]] static QColor ShownColour(uint32_t packed);

  [[nodiscard]] std::size_t size() const { return shown_.size(); }

  /// Remembers light `index`'s colour for the next tick; indices outside the
  /// store are ignored.
  void Store(std::size_t index, uint32_t packed);

  /// Calls `changed(index, packed)` for every light whose stored colour differs
  /// from the one shown, which it then becomes. Costs one flag test when nothing
  /// was stored since the last call.
  template <typename Changed>
  void TakeChanged(Changed&& changed) {
    // Acquire: a tick that sees the flag also sees the colours stored before it.
    if (!dirty_.exchange(false, std::memory_order_acquire)) return;
    for (std::size_t index = 0; index < shown_.size(); ++index) {
      const uint32_t packed = stored_[index].load(std::memory_order_relaxed);
      if (packed == shown_[index]) continue;
      shown_[index] = packed;
      changed(index, packed);
    }
  }

  /// Takes the changed colours onto `lights` (index for index; a light that is
  /// not there is skipped) and returns how many changed.
  int ShowChanged(const std::vector<QPointer<CDeviceKeyButtonUI>>& lights);

  /// The packed colour light `index` shows (0 outside the store).
  [[nodiscard]] uint32_t Shown(std::size_t index) const { return index < shown_.size() ? shown_[index] : 0; }

 private:
  /// Written by any thread, read by the tick.
  std::unique_ptr<std::atomic<uint32_t>[]> stored_;
  std::vector<uint32_t> shown_;
  /// Set after a stored colour changed; cleared by the tick that takes them.
  std::atomic<bool> dirty_{false};
};

}  // namespace zt640
