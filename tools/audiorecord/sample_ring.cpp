#include "sample_ring.h"

#include <algorithm>

namespace zt640::audiorecord {

SampleRing::SampleRing(std::size_t capacity) : samples_(std::max<std::size_t>(capacity, 1), 0.0f) {}

void SampleRing::Push(std::span<const float> samples) {
  const std::lock_guard lock(mutex_);
  if (samples.size() > samples_.size()) samples = samples.last(samples_.size());
  for (const float s : samples) {
    samples_[next_] = s;
    next_ = (next_ + 1) % samples_.size();
  }
}

void SampleRing::CopyLatest(std::span<float> out) const {
  const std::lock_guard lock(mutex_);
  if (out.size() > samples_.size()) out = out.last(samples_.size());
  const std::size_t size = samples_.size();
  std::size_t from = (next_ + size - out.size()) % size;
  for (float& s : out) {
    s = samples_[from];
    from = (from + 1) % size;
  }
}

void SampleRing::Clear() {
  const std::lock_guard lock(mutex_);
  std::fill(samples_.begin(), samples_.end(), 0.0f);
  next_ = 0;
}

}  // namespace zt640::audiorecord
