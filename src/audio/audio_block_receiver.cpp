#include "audio/audio_block_receiver.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace zt640 {

namespace {
constexpr std::size_t kValueBytes = 4;
}

std::size_t AudioBlockReceiver::DecodeValues(std::span<const std::uint8_t> block, std::span<std::int32_t> values) {
  const std::size_t count = std::min(values.size(), block.size() / kValueBytes);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* bytes = block.data() + i * kValueBytes;
    const std::uint32_t word = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                               (static_cast<std::uint32_t>(bytes[2]) << 16) |
                               (static_cast<std::uint32_t>(bytes[3]) << 24);
    values[i] = static_cast<std::int32_t>(word);
  }
  return count;
}

bool AudioBlockReceiver::OnCopyData(std::uint64_t kind, std::span<const std::uint8_t> block, const Feed& spectrum,
                                    const Feed& levels) {
  if (block.empty()) return false;
  if (kind == kSpectrumKind) {
    DecodeValues(block, spectrum_);
    if (ReduceAudioSpectrum() && spectrum) spectrum(means_);
    return true;
  }
  if (kind == kLevelKind) {
    DecodeValues(block, levels_);
    if (levels) levels(levels_);
    return true;
  }
  return false;
}

bool AudioBlockReceiver::ReduceAudioSpectrum() {
  ++block_counter_;
  // Differences and sums are taken in 64 bits: a block of extreme values cannot
  // overflow them, and the result is held to the 32-bit range.
  std::array<std::int64_t, kSpectrumValues> difference{};
  for (std::size_t i = 0; i < kSpectrumValues; ++i) {
    difference[i] = std::llabs(static_cast<std::int64_t>(spectrum_[i]) - previous_[i]);
  }
  previous_ = spectrum_;
  for (std::size_t j = 0; j < kReducedValues; ++j) {
    // The old mean is part of the sum, so the values decay rather than jump; only
    // the first four of each group's five differences count.
    std::uint64_t sum = static_cast<std::uint32_t>(means_[j]);
    for (std::size_t k = 0; k < kGroupSummed; ++k) sum += static_cast<std::uint64_t>(difference[kGroupStride * j + k]);
    const std::uint64_t mean = sum / kGroupSummed;
    means_[j] = static_cast<std::int32_t>(std::min<std::uint64_t>(mean, std::numeric_limits<std::int32_t>::max()));
  }
  if (block_counter_ < kBlocksPerFeed) return false;
  block_counter_ = 0;
  return true;
}

}  // namespace zt640
