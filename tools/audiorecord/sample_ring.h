#pragma once

#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

namespace zt640::audiorecord {

/// The latest samples heard, written by the capture thread and read by the sender.
/// Starts (and after `Clear`, restarts) as silence.
class SampleRing {
 public:
  explicit SampleRing(std::size_t capacity);

  void Push(std::span<const float> samples);
  /// Fills `out` with the latest out.size() samples (at most the capacity), oldest first.
  void CopyLatest(std::span<float> out) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<float> samples_;  ///< guarded by mutex_
  std::size_t next_ = 0;        ///< guarded by mutex_: where the next sample goes
};

}  // namespace zt640::audiorecord
