#pragma once

#include <chrono>
#include <cstdint>

namespace zt640::audiorecord {

/// Deadlines for a steady block rate. Slot k is due at start + k / rate, computed from
/// the start each time so the rate never drifts; after a stall the missed slots are
/// skipped rather than sent in a burst. The caller supplies the time, so tests can step it.
class BlockPacer {
 public:
  using Clock = std::chrono::steady_clock;

  BlockPacer(Clock::time_point start, int per_second);

  /// When the next block is due.
  [[nodiscard]] Clock::time_point NextDeadline() const;

  /// Records a block sent at `now` (at or after the deadline) and moves to the next slot
  /// after `now`. Returns how many slots were skipped.
  std::uint64_t Advance(Clock::time_point now);

  /// Blocks recorded so far.
  [[nodiscard]] std::uint64_t blocks() const { return blocks_; }

 private:
  [[nodiscard]] Clock::time_point SlotTime(std::uint64_t slot) const;

  Clock::time_point start_;
  int per_second_;
  std::uint64_t slot_ = 0;
  std::uint64_t blocks_ = 0;
};

}  // namespace zt640::audiorecord
