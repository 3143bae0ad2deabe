#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt640 {

/// What the device last acknowledged of the live lighting frame, packet by packet.
/// The device keeps the bytes of a stream packet until the next packet for the same
/// offset (a packet dropped while the channel is busy leaves the old ones showing),
/// so a packet equal to what the device holds need not go again. The whole frame is
/// still sent at least once per kRefreshPeriod, so a device that lost the stream
/// without the channel noticing shows the right frame again within that time.
///
/// Forget may be called from any thread; the rest runs under the channel's light lock.
class StreamedFrameMemory {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRefreshPeriod{1000};

  /// Starts a frame; everything is forgotten when the refresh is due.
  void BeginFrame(Clock::time_point now);
  /// Whether the device already holds `bytes` at `offset`.
  [[nodiscard]] bool Holds(std::size_t offset, std::span<const std::uint8_t> bytes);
  /// The device acknowledged `bytes` at `offset`.
  void Acknowledged(std::size_t offset, std::span<const std::uint8_t> bytes);
  /// A packet for `offset` failed: what the device holds there is unknown.
  void Unknown(std::size_t offset, std::size_t count);
  /// Another exchange may have changed what the device shows: send everything next time.
  void Forget() { stale_.store(true); }

 private:
  void ClearIfStale();

  std::vector<std::uint8_t> bytes_;
  std::vector<bool> known_;  ///< per byte: whether bytes_ holds what the device acknowledged
  Clock::time_point refreshed_{};
  std::atomic<bool> stale_{true};
};

}  // namespace zt640
