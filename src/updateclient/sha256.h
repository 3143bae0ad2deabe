#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt640 {

/// SHA-256 over data given in pieces, for checking a downloaded file against the
/// digest the update service names.
class Sha256 {
 public:
  Sha256();

  void Update(const void* data, std::size_t length);
  /// The digest of everything given so far; the object starts over afterwards.
  [[nodiscard]] std::array<uint8_t, 32> Finish();
  /// Finish as 64 lower-case hexadecimal digits.
  [[nodiscard]] std::string FinishHex();

 private:
  void Reset();
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> state_{};
  std::array<uint8_t, 64> block_{};
  std::size_t block_used_ = 0;
  uint64_t total_bytes_ = 0;
};

/// True for 64 hexadecimal digits (either case).
[[nodiscard]] bool IsSha256Hex(std::string_view text);

}  // namespace zt640
