#include "transport/streamed_frame_memory.h"

#include <algorithm>

namespace zt640 {

void StreamedFrameMemory::ClearIfStale() {
  if (!stale_.exchange(false)) return;
  bytes_.clear();
  known_.clear();
}

void StreamedFrameMemory::BeginFrame(Clock::time_point now) {
  if (now - refreshed_ >= kRefreshPeriod) {
    Forget();
    refreshed_ = now;
  }
}

bool StreamedFrameMemory::Holds(std::size_t offset, std::span<const std::uint8_t> bytes) {
  ClearIfStale();
  if (offset + bytes.size() > bytes_.size()) return false;
  const auto first = static_cast<std::ptrdiff_t>(offset);
  const auto last = first + static_cast<std::ptrdiff_t>(bytes.size());
  return std::all_of(known_.begin() + first, known_.begin() + last, [](bool known) { return known; }) &&
         std::equal(bytes.begin(), bytes.end(), bytes_.begin() + first);
}

void StreamedFrameMemory::Acknowledged(std::size_t offset, std::span<const std::uint8_t> bytes) {
  ClearIfStale();
  if (offset + bytes.size() > bytes_.size()) {
    bytes_.resize(offset + bytes.size(), 0);
    known_.resize(offset + bytes.size(), false);
  }
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  std::fill_n(known_.begin() + static_cast<std::ptrdiff_t>(offset), bytes.size(), true);
}

void StreamedFrameMemory::Unknown(std::size_t offset, std::size_t count) {
  if (offset >= known_.size()) return;
  const std::size_t end = std::min(known_.size(), offset + count);
  std::fill(known_.begin() + static_cast<std::ptrdiff_t>(offset), known_.begin() + static_cast<std::ptrdiff_t>(end),
            false);
}

}  // namespace zt640
