#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace zt640 {

/// The utility's side of the capture process's data: the copy-data blocks it sends
/// (kind 1, the spectrum; kind 2, the levels) go into fixed buffers, the spectrum is
/// reduced to the 25 values the keyboard's bar modes read, and the levels are handed
/// on as they come. A block longer than its buffer is cut to it, a shorter one fills
/// the whole values it holds and leaves the rest of the buffer from the block before;
/// any other kind, or an empty block, is ignored. UI thread only.
class AudioBlockReceiver {
 public:
  static constexpr std::uint64_t kSpectrumKind = 1;
  static constexpr std::uint64_t kLevelKind = 2;
  static constexpr std::size_t kSpectrumValues = 500;
  static constexpr std::size_t kLevelValues = 6;
  static constexpr std::size_t kReducedValues = 25;
  /// Spectrum values per reduced value: the first four of each five are summed.
  static constexpr std::size_t kGroupStride = 5;
  static constexpr std::size_t kGroupSummed = 4;
  /// The keyboard gets a new set of reduced values with every third spectrum block.
  static constexpr int kBlocksPerFeed = 3;

  using Feed = std::function<void(std::span<const std::int32_t>)>;

  /// Handles one block; `spectrum` receives the 25 reduced values when they are due,
  /// `levels` the 6 level values of every level block (either may be empty: the values
  /// are dropped). False when the block was ignored.
  bool OnCopyData(std::uint64_t kind, std::span<const std::uint8_t> block, const Feed& spectrum, const Feed& levels);

  /// Reduces the spectrum buffer against the block before it: the counter goes up,
  /// each reduced value becomes (itself + the four differences of its group) / 4, and
  /// the buffer becomes the previous block. True when the counter reached
  /// kBlocksPerFeed (it is then 0 again): the reduced values are due.
  bool ReduceAudioSpectrum();

  [[nodiscard]] const std::array<std::int32_t, kReducedValues>& Means() const { return means_; }
  [[nodiscard]] const std::array<std::int32_t, kLevelValues>& Levels() const { return levels_; }
  [[nodiscard]] int BlockCounter() const { return block_counter_; }

  /// Reads little-endian signed 32-bit values into `values`; returns how many were filled.
  static std::size_t DecodeValues(std::span<const std::uint8_t> block, std::span<std::int32_t> values);

 private:
  std::array<std::int32_t, kSpectrumValues> spectrum_{};
  std::array<std::int32_t, kSpectrumValues> previous_{};
  std::array<std::int32_t, kReducedValues> means_{};
  std::array<std::int32_t, kLevelValues> levels_{};
  int block_counter_ = 0;
};

}  // namespace zt640
