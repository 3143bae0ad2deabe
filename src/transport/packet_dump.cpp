#include "transport/packet_dump.h"

#include <cstdio>

#include "platform/diag/debug_output.h"

namespace zt640 {

namespace {

std::string FormatHalf(const uint8_t* bytes) {
  std::string line;
  char hex[4];
  for (int i = 0; i < 32; ++i) {
    if (i > 0) {
      if (i % 4 != 0) {
        line += ' ';
      } else {
        line += (i <= 12) ? "   " : "  ";
      }
    }
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    line += hex;
  }
  return line;
}

}  // namespace

std::string FormatPacketDump(const uint8_t* packet) {
  return FormatHalf(packet) + "\n" + FormatHalf(packet + 32);
}

void DumpPacket(const char* title, const uint8_t* packet) {
  if (!platform::DebugOutputEnabled()) return;
  platform::DebugOutput(title);
  platform::DebugOutput(FormatHalf(packet));
  platform::DebugOutput(FormatHalf(packet + 32));
}

}  // namespace zt640
