#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

namespace zt640::devsim {

/// Appends each request packet to a file as one line of space-separated
/// two-digit lower-case hex bytes, flushed per line so readers can follow it
/// while the simulator runs. Used from the server loop thread only.
class RequestLog {
 public:
  /// Opens path for appending; false with *error set when it cannot.
  [[nodiscard]] bool Open(const std::filesystem::path& path, std::string* error);
  [[nodiscard]] bool IsOpen() const { return out_.is_open(); }
  void Append(std::span<const uint8_t> packet);
  [[nodiscard]] static std::string FormatLine(std::span<const uint8_t> packet);

 private:
  std::ofstream out_;
};

}  // namespace zt640::devsim
