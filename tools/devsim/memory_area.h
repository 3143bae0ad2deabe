#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt640::devsim {

/// One addressable region of device memory with its factory contents. Every
/// access is bounds-checked as a whole: an access that would cross the end of
/// the area is refused and changes nothing.
class MemoryArea {
 public:
  explicit MemoryArea(std::vector<uint8_t> factory);

  [[nodiscard]] size_t Size() const { return bytes_.size(); }
  /// True when [offset, offset + length) lies inside the area.
  [[nodiscard]] bool Fits(size_t offset, size_t length) const;
  /// Copies out.size() bytes from offset into out; false (out untouched) when they do not fit.
  [[nodiscard]] bool Read(size_t offset, std::span<uint8_t> out) const;
  /// Stores data at offset; false (area untouched) when it does not fit.
  [[nodiscard]] bool Write(size_t offset, std::span<const uint8_t> data);
  /// Restores the factory contents.
  void Reset();

  [[nodiscard]] std::span<const uint8_t> Contents() const { return bytes_; }
  [[nodiscard]] std::span<const uint8_t> Factory() const { return factory_; }

 private:
  std::vector<uint8_t> factory_;
  std::vector<uint8_t> bytes_;
};

}  // namespace zt640::devsim
