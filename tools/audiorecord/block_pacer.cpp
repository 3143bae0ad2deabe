#include "block_pacer.h"

#include <algorithm>

namespace zt640::audiorecord {

BlockPacer::BlockPacer(Clock::time_point start, int per_second) : start_(start), per_second_(std::max(per_second, 1)) {}

BlockPacer::Clock::time_point BlockPacer::SlotTime(std::uint64_t slot) const {
  const auto whole = static_cast<std::int64_t>(slot / static_cast<std::uint64_t>(per_second_));
  const auto part = static_cast<std::int64_t>(slot % static_cast<std::uint64_t>(per_second_));
  return start_ + std::chrono::seconds(whole) +
         std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(part * 1'000'000'000 / per_second_));
}

BlockPacer::Clock::time_point BlockPacer::NextDeadline() const { return SlotTime(slot_); }

std::uint64_t BlockPacer::Advance(Clock::time_point now) {
  ++blocks_;
  std::uint64_t skipped = 0;
  ++slot_;
  while (SlotTime(slot_) <= now) {
    ++slot_;
    ++skipped;
  }
  return skipped;
}

}  // namespace zt640::audiorecord
