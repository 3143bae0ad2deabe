#include "devsim/request_log.h"

#include <cerrno>
#include <cstring>

namespace zt640::devsim {

bool RequestLog::Open(const std::filesystem::path& path, std::string* error) {
  out_.open(path, std::ios::out | std::ios::app | std::ios::binary);
  if (!out_.is_open()) {
    if (error) *error = "cannot open log " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void RequestLog::Append(std::span<const uint8_t> packet) {
  if (!out_.is_open()) return;
  out_ << FormatLine(packet) << '\n';
  out_.flush();
}

std::string RequestLog::FormatLine(std::span<const uint8_t> packet) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line;
  line.reserve(packet.size() * 3);
  for (size_t i = 0; i < packet.size(); ++i) {
    if (i != 0) line += ' ';
    line += kDigits[packet[i] >> 4];
    line += kDigits[packet[i] & 0x0F];
  }
  return line;
}

}  // namespace zt640::devsim
