#include "devsim/memory_area.h"

#include <algorithm>

namespace zt640::devsim {

MemoryArea::MemoryArea(std::vector<uint8_t> factory)
    : factory_(std::move(factory)), bytes_(factory_) {}

bool MemoryArea::Fits(size_t offset, size_t length) const {
  return offset <= bytes_.size() && length <= bytes_.size() - offset;
}

bool MemoryArea::Read(size_t offset, std::span<uint8_t> out) const {
  if (!Fits(offset, out.size())) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  return true;
}

bool MemoryArea::Write(size_t offset, std::span<const uint8_t> data) {
  if (!Fits(offset, data.size())) return false;
  std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

void MemoryArea::Reset() { bytes_ = factory_; }

}  // namespace zt640::devsim
