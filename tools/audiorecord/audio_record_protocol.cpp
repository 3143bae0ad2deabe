#include "audio_record_protocol.h"

#include <algorithm>

namespace zt640::audiorecord {

std::string CaptureMutexName() { return std::string(platform::kProductTitle) + "AudioRecord"; }
std::string CaptureWindowClass() { return std::string(platform::kProductTitle) + "AudioRecord"; }
std::string CaptureWindowTitle() { return std::string(platform::kProductTitle) + "AUDIORECORD"; }

std::vector<std::uint8_t> EncodeValues(std::span<const std::int32_t> values) {
  std::vector<std::uint8_t> bytes(values.size() * kValueBytes);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto v = static_cast<std::uint32_t>(values[i]);
    for (std::size_t b = 0; b < kValueBytes; ++b) bytes[i * kValueBytes + b] = static_cast<std::uint8_t>(v >> (8 * b));
  }
  return bytes;
}

std::size_t DecodeValues(std::span<const std::uint8_t> block, std::span<std::int32_t> values) {
  const std::size_t count = std::min(block.size() / kValueBytes, values.size());
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t v = 0;
    for (std::size_t b = 0; b < kValueBytes; ++b) v |= std::uint32_t{block[i * kValueBytes + b]} << (8 * b);
    values[i] = static_cast<std::int32_t>(v);
  }
  return count;
}

bool ApplyStyleBlock(std::span<const std::uint8_t> block, StyleWeights& weights) {
  std::array<std::int32_t, 3> rgb{weights.red, weights.green, weights.blue};
  if (DecodeValues(block.first(std::min(block.size(), kStyleBlockBytes)), rgb) == 0) return false;
  for (auto& v : rgb) v = std::clamp(v, 0, kMaxStyleWeight);
  weights = {rgb[0], rgb[1], rgb[2]};
  return true;
}

}  // namespace zt640::audiorecord
